#pragma once

#include <list>

#include "render/renderable.h"
#include "render/win32_gl_window.h"

// The single frame driver: every frame it clears, lets every object advance to
// the same frame count, lets every object draw, counts the frame and shows it.
class Scene {
public:
    Scene() { output.Clear(); }

    // Sets the GL state once the output's rendering context is current.
    void InitGL();
    // Appends; the scene does not own its renderables.
    void Add(Renderable* renderable);
    void Frame();

    float time = 0.0f;  // frames since InitGL
    std::list<Renderable*> renderables;
    GLWindow output;
};
