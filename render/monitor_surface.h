#pragma once

#include <cstddef>

#include "render/renderable.h"
#include "render/shown_pictures.h"

// What one monitor draws: its surface (the water in one look or another),
// then the overlays over it. Each monitor has a surface of its own, drawn
// into the monitor's viewport, which is current when Draw is called.

// A monitor's surface. The owner gives it the monitor's pictures before each
// frame's Update, and deletes it through this interface.
class MonitorSurface : public Renderable {
public:
    virtual ~MonitorSurface() = default;

    void Update(float time) override = 0;
    void Draw() override = 0;
    // The pictures to draw from the next Draw on.
    virtual void Show(const ShownPictures& pictures) = 0;
};

// Drawn over a monitor's surface, in the same viewport (glGetIntegerv
// GL_VIEWPORT gives its size in pixels): text such as a clock or a caption.
// One overlay serves every monitor.
class MonitorOverlay {
public:
    virtual ~MonitorOverlay() = default;

    // `monitor` counts the monitors in the layout's order; `pictures` are
    // what its surface drew this frame.
    virtual void Draw(size_t monitor, const ShownPictures& pictures) = 0;
};
