#include "render/win32_monitor_view.h"

#include <GL/gl.h>

#include "render/win32_gl_window.h"

void MonitorView::Draw()
{
    if (area.width <= 0 || area.height <= 0) {
        return;
    }
    // The scene's clear covers the whole window whatever the viewport, so the
    // parts of the output outside every monitor's surface stay black.
    glViewport(area.x, area.y, area.width, area.height);
    SetProjectionAndCamera(static_cast<double>(static_cast<float>(area.width) / static_cast<float>(area.height)),
                           sceneNearPlane);
    glMatrixMode(GL_MODELVIEW);
    content.Draw();
}
