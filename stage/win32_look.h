#pragma once

#include <memory>

#include "render/monitor_layout.h"
#include "render/monitor_surface.h"
#include "stage/stage_choice.h"

// StageChoice::look of the realistic look (the settings' Look=1): the
// desktop where it is, pixel for pixel, under water with light.
constexpr int32_t realisticLookChoice = 1;

// The one place where a monitor's surface is made for the chosen look, wave
// style and speed. Needs the output's rendering context current. Every look
// but the classic one (today's water grid) falls back to the classic look.
std::unique_ptr<MonitorSurface> SurfaceForLook(const StageChoice& choice, const MonitorPart& monitor);

// Whether the current rendering context runs the realistic look; where it
// does not, SurfaceForLook gives the classic look instead. Asked once per
// process (one driver serves the saver, or the dialog).
bool RealisticLookRuns();
