#include "render/win32_scene.h"

#include <GL/gl.h>

#include <windows.h>

void Scene::InitGL()
{
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glEnable(GL_COLOR_MATERIAL);
    glEnable(GL_DEPTH_TEST);
    // A zero height (the hidden start-up window) has no aspect ratio; Resize
    // sets the projection once the output has a size.
    if (output.height != 0) {
        SetProjectionAndCamera(AspectRatio(output.width, output.height), sceneNearPlane);
    }
    // The identity is loaded by every frame, not here.
    glMatrixMode(GL_MODELVIEW);
    glShadeModel(GL_SMOOTH);
    glEnable(GL_TEXTURE_2D);
    time = 0.0f;
    frameClock.Restart();
}

void Scene::Add(Renderable* renderable)
{
    renderables.push_back(renderable);
}

void Scene::Frame()
{
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glLoadIdentity();
    // The texture environment keeps its default, so white shows textures in
    // their own colours.
    glColor3f(1.0f, 1.0f, 1.0f);

    // Every object of a frame sees the same time, and all updates come before
    // the first draw.
    time = frameClock.FrameTime(clock());
    for (Renderable* renderable : renderables) {
        renderable->Update(time);
    }
    for (Renderable* renderable : renderables) {
        renderable->Draw();
    }
    (void)SwapBuffers(output.deviceContext);
}
