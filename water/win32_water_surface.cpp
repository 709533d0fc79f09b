#include "water/win32_water_surface.h"

void WaterSurface::Update(float time)
{
    Animate(time);
}

void WaterSurface::Draw()
{
    glLoadIdentity();
    glTranslatef(position.x, position.y, position.z);

    ComputeTexCoords();

    glBindTexture(GL_TEXTURE_2D, texture);
    glBegin(GL_TRIANGLES);
    ForEachDrawnCorner([](const TexCoord& texCoord, const Vec3& vertex) {
        glTexCoord2f(texCoord.u, texCoord.v);
        glVertex3f(vertex.x, vertex.y, vertex.z);
    });
    glEnd();
}
