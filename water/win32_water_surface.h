#pragma once

#include <windows.h>
#include <GL/gl.h>

#include "render/renderable.h"
#include "water/water_grid.h"

// The one object the scene draws: the water grid seen through OpenGL, with the
// picture's texture lying under it.
class WaterSurface : public Renderable, public WaterGrid {
public:
    void Update(float time) override;
    void Draw() override;

    // Chooses the picture and creates the texture; a non-null path wins over
    // the bitmap, and every failure ends at the built-in picture. Needs a
    // current rendering context; without one it loads nothing.
    void SetTexture(const char* path, HBITMAP bitmap);

    // 0 until a loader creates the texture: binding 0 draws untextured.
    GLuint texture = 0;
};
