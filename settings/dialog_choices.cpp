#include "settings/dialog_choices.h"

#include <algorithm>
#include <cmath>

#include "settings/settings_file.h"

static const int32_t sliderMiddle = speedSliderMaximum / 2;

int32_t SpeedPercentFromSlider(int32_t position)
{
    const int32_t clamped = std::clamp(position, int32_t{0}, speedSliderMaximum);
    const double octaves = static_cast<double>(clamped - sliderMiddle) / sliderMiddle;
    return static_cast<int32_t>(std::lround(defaultSpeedPercent * std::exp2(octaves)));
}

int32_t SliderFromSpeedPercent(int32_t percent)
{
    const int32_t clamped = std::clamp(percent, slowestSpeedPercent, fastestSpeedPercent);
    const double octaves = std::log2(static_cast<double>(clamped) / defaultSpeedPercent);
    return sliderMiddle + static_cast<int32_t>(std::lround(octaves * sliderMiddle));
}

PictureSource ChosenPictureSource(bool useCustomPicture, const std::string& file, const std::string& folder)
{
    if (!useCustomPicture) {
        return PictureSource::Desktop;
    }
    if (!folder.empty()) {
        return PictureSource::Folder;
    }
    if (file.find_first_not_of(' ') != std::string::npos) {
        return PictureSource::File;
    }
    return PictureSource::BuiltIn;
}

std::string PictureSourceLabel(PictureSource source, const std::string& file, const std::string& folder)
{
    switch (source) {
    case PictureSource::Desktop:
        return "Desktop";
    case PictureSource::File:
        return file;
    case PictureSource::Folder:
        return folder;
    case PictureSource::BuiltIn:
        break;
    }
    return "Built-in picture";
}
