#pragma once

#include <cstdint>
#include <string>

// What a stage shows on its output, as plain data: the full-screen saver and
// its preview build it from the settings, the settings dialog's live preview
// from the dialog's controls as they stand.

enum class PictureSource { Desktop, File, Folder, BuiltIn };

struct StageChoice {
    PictureSource source = PictureSource::Desktop;
    std::string file;             // File: the picture file, a full path (UTF-8)
    std::string folder;           // Folder: the slideshow's folder (UTF-8)
    bool includeSubfolders = true;
    uint32_t slideSeconds = 0;    // 0: the first picture stays
    bool monitorPictures = true;  // each monitor a picture of its own while the folder has enough
    int32_t cacheMegabytes = 0;   // the picture cache's cap; 0: no cache
    std::string lastFolderPicture;  // the picture the last run ended on, not to begin with
    bool fillsCache = false;      // stores copies of the pictures shown (the saver, not the
                                  // dialog's preview, whose pictures are decoded small)
    int32_t waveStyle = 0;        // 0 Rings, 1 Crossed, 2 Rain
    int32_t speedPercent = 100;
    int32_t look = 0;             // 0 Classic, 1 Realistic
    int32_t clockShown = 0;       // 0 none, 1 the time, 2 the time and the date
    bool captionsShown = false;
    bool mainMonitorOnly = false;
};

// Whether the pictures come from files, listed and decoded off the drawing
// thread by a slideshow (one file is a slideshow of one picture).
bool ShowsFiles(PictureSource source);

// Whether the two choices show the same pictures, so that a change from one
// to the other need not load them again. Only what the source uses counts:
// the folder's options do not matter to a file, nor the file to a folder.
bool SamePictures(const StageChoice& a, const StageChoice& b);

// Whether the two choices draw the same surfaces: same look, wave style and
// speed. Where they differ, the waves start again from the still surface.
bool SameSurfaces(const StageChoice& a, const StageChoice& b);
