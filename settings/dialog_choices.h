#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "stage/stage_choice.h"

// The settings dialog's decisions that need no window: how the "Speed"
// trackbar maps to a wave speed, and which picture the choices stand for
// (start-up follows the same rule, so that the preview shows what the saver
// will).

// Trackbar positions 0 to speedSliderMaximum: half speed at 0, today's in the
// middle, twice at the top, each step the same factor faster, so that
// slowing down and speeding up get the same room.
inline constexpr int32_t speedSliderMaximum = 8;

// The percent of today's wave speed a position stands for (50 to 200).
int32_t SpeedPercentFromSlider(int32_t position);
// The position nearest to a percent; out-of-range percents go to the ends.
int32_t SliderFromSpeedPercent(int32_t percent);

// One entry of "Change picture every:": seconds between pictures (0 for
// Never) and the words shown.
struct SlideChoice {
    int32_t seconds;
    std::string label;
};

// The entries, shortest first: Never, 10 and 30 seconds, 1, 5 and 15 minutes,
// and the stored value in its place when it is none of these, so that it is
// kept until the user picks another.
std::vector<SlideChoice> SlideChoices(int32_t storedSeconds);

// What the saver shows for these choices: the desktop unless the custom
// picture is on; then a folder before a file, and the built-in picture when
// neither is set. A file text of blanks only (older settings files) names
// no file.
PictureSource ChosenPictureSource(bool useCustomPicture, const std::string& file, const std::string& folder);

// The line under the preview: "Desktop", the file's or the folder's path,
// or "Built-in picture".
std::string PictureSourceLabel(PictureSource source, const std::string& file, const std::string& folder);
