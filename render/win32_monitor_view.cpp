#include "render/win32_monitor_view.h"

#include "render/win32_gl_window.h"

void MonitorView::Draw()
{
    if (area.width <= 0 || area.height <= 0) {
        return;
    }
    // The scene's clear covers the whole window whatever the viewport, so the
    // parts of the output outside every monitor's surface stay black.
    SetViewportAndCamera(area.x, area.y, area.width, area.height, sceneNearPlane);
    content.Draw();
}
