#pragma once

#include "render/monitor_layout.h"
#include "render/renderable.h"

// One monitor's share of the full-screen output: draws its content into the
// monitor's viewport, seen by the fixed camera with that monitor's aspect
// ratio, so that every monitor looks as a single screen would.
class MonitorView : public Renderable {
public:
    MonitorView(Renderable& content, const Viewport& area) : content(content), area(area) {}

    void Update(float time) override { content.Update(time); }
    void Draw() override;

private:
    Renderable& content;
    Viewport area;
};
