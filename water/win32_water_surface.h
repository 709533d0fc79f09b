#pragma once

#include <windows.h>
#include <GL/gl.h>

#include "render/monitor_surface.h"
#include "water/water_grid.h"

// The classic look of a monitor: the water grid seen through OpenGL, with the
// picture's texture lying under it.
class WaterSurface : public MonitorSurface, public WaterGrid {
public:
    void Update(float time) override;
    void Draw() override;
    void Show(const ShownPictures& pictures) override;

    // Chooses the picture and creates the texture; a non-null path wins over
    // the bitmap, and every failure ends at the built-in picture. Needs a
    // current rendering context; without one it loads nothing.
    void SetTexture(const char* path, HBITMAP bitmap);

    // 0 until a loader creates the texture: binding 0 draws untextured.
    GLuint texture = 0;
    // The picture taking the place of `texture`, `fade` (0 to 1) of the way
    // there, under the same water; 0 for none.
    GLuint incomingTexture = 0;
    float fade = 0.0f;
};

// Whether this rendering context blends two textures in one pass (OpenGL 1.3
// multitexturing with the interpolating combiner). Where it cannot, a change
// of picture dims the old one to black and brightens the new one instead,
// still in one pass.
bool CrossfadeInOnePass();
// What Draw asks; tests replace it to take the path of a driver that cannot.
using CrossfadeCheck = bool (*)();
extern CrossfadeCheck crossfadeInOnePass;
