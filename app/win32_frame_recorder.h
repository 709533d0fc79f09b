#pragma once

#include <cstdint>
#include <string>

// Benchmark builds only (VITRANE_FRAME_RECORDER): the start time of every
// frame, the time from process start to the first frame shown, and each
// frame's time since the first one with the scene time its updates got,
// written to a text file when the program ends. The product build carries
// none of this.
void RecordFrameStart();
void RecordSceneTime(uint64_t microsecondsSinceFirstFrame, float time);
void RecordFrameShown();
// Also writes `pacing` and how the frames were paced: "display", "timer" or
// "measuring".
void WriteFrameRecord(const std::string& path, const char* pacing);
// How many picture changes the slideshow began, for the record.
void RecordPictureChanges(int changes);
// When the first picture was first in full view, on the performance-counter
// clock (0: never); written as `first_picture_ms` after process start.
void RecordFirstPictureShown(uint64_t clockMicroseconds);
