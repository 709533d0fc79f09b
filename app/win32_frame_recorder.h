#pragma once

#include <string>

// Benchmark builds only (VITRANE_FRAME_RECORDER): the start time of every
// frame and the time from process start to the first frame shown, written to
// a text file when the program ends. The product build carries none of this.
void RecordFrameStart();
void RecordFrameShown();
void WriteFrameRecord(const std::string& path);
// How many picture changes the slideshow began, for the record.
void RecordPictureChanges(int changes);
