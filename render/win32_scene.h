#pragma once

#include <cstdint>
#include <list>

#include "clock/win32_clock.h"
#include "render/frame_clock.h"
#include "render/renderable.h"
#include "render/win32_gl_window.h"

// The single frame driver: every frame it clears, lets every object advance to
// the same clock-derived time, lets every object draw and shows the frame.
class Scene {
public:
    Scene() { output.Clear(); }

    // Sets the GL state once the output's rendering context is current.
    void InitGL();
    // Appends; the scene does not own its renderables.
    void Add(Renderable* renderable);
    void Frame();
    // The next frame starts the waves again from time 0.
    void RestartTime() { frameClock.Restart(); }

    float time = 0.0f;  // given to the latest frame's updates
    SceneClock frameClock;
    MicrosecondClock clock = PerformanceCounterMicroseconds;
    std::list<Renderable*> renderables;
    GLWindow output;
};
