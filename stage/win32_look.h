#pragma once

#include <memory>

#include "render/monitor_layout.h"
#include "render/monitor_surface.h"
#include "stage/stage_choice.h"

// The one place where a monitor's surface is made for the chosen look, wave
// style and speed. Needs the output's rendering context current. Every look
// but the classic one (today's water grid) falls back to the classic look.
std::unique_ptr<MonitorSurface> SurfaceForLook(const StageChoice& choice, const MonitorPart& monitor);
