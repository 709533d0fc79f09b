#pragma once

#include "geometry/vec3.h"

// Everything the scene draws. Update advances the object to a frame count and
// draws nothing; Draw issues the object's OpenGL drawing. The scene never owns
// or deletes its renderables, hence no virtual destructor.
class Renderable {
public:
    virtual void Update(float /*time*/) {}
    virtual void Draw() {}

    Vec3 position{0.0f, 0.0f, 0.0f};

protected:
    Renderable() = default;
    ~Renderable() = default;
};
