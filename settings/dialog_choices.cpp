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

// "45 seconds", "1 minute", "2 hours": the largest whole unit.
static std::string IntervalLabel(int32_t seconds)
{
    struct Unit {
        int32_t seconds;
        const char* name;
    };
    static const Unit units[] = {{3600, "hour"}, {60, "minute"}, {1, "second"}};
    for (const Unit& unit : units) {
        if (seconds % unit.seconds == 0) {
            const int32_t count = seconds / unit.seconds;
            return std::to_string(count) + " " + unit.name + (count == 1 ? "" : "s");
        }
    }
    return std::string();
}

std::vector<SlideChoice> SlideChoices(int32_t storedSeconds)
{
    std::vector<SlideChoice> choices = {{0, "Never"}};
    for (int32_t seconds : {10, 30, 60, 300, 900}) {
        choices.push_back({seconds, IntervalLabel(seconds)});
    }
    const auto place = std::find_if(choices.begin(), choices.end(),
                                    [&](const SlideChoice& choice) { return choice.seconds >= storedSeconds; });
    if (place == choices.end() || place->seconds != storedSeconds) {
        choices.insert(place, {storedSeconds, IntervalLabel(storedSeconds)});
    }
    return choices;
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
