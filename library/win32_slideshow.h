#pragma once

#include <windows.h>
#include <GL/gl.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "picture/picture_math.h"
#include "library/slideshow.h"
#include "picture/win32_picture_decoder.h"
#include "render/shown_pictures.h"

struct SlideshowWork;
struct SlideshowScreen;

// What a slideshow shows. The folder wins over the file; with neither, the
// built-in picture. Texts are UTF-8.
struct SlideshowChoice {
    std::string folder;
    std::string file;
    bool includeSubfolders = true;
    uint32_t slideSeconds = 0;  // 0: the first picture stays
    std::string previous;       // the picture the last run ended on
    int monitors = 1;           // pictures shown at once, all different while the folder has enough
    // Each of those pictures' monitor's shape: a portrait monitor gets
    // portrait pictures while the folder has them. Empty: any picture.
    std::vector<PictureShape> monitorShapes;
    int32_t cacheMegabytes = 0; // the cap of the user's picture cache; 0: no cache
    bool fillsCache = false;    // stores copies and keeps the cache within its cap: only the full-screen
                                // saver (StoresCacheCopies), the previews' pictures are decoded small
};

enum class PictureRead {
    Decoded,
    Failed,  // unreadable for now: locked, half written, not a picture, or its share away
    Gone,    // no such file, where a folder above it is there
};

// What a slideshow reads from the disk; tests put their own in. `decode`
// gives red, green, blue, alpha, rows bottom-up, at the texture size for the
// largest monitor. Both are called off the drawing thread.
struct SlideshowFiles {
    FolderLister list;
    std::function<PictureRead(const std::string& path, PixelSize largestMonitor, int maxTextureSide,
                              DecodedPicture& picture)>
        decode;
};

// The files on the disks, through FindFirstFileExW and the picture decoders.
SlideshowFiles DiskSlideshowFiles();

// The one owner of a slideshow's work: the folder, its shuffled order, a
// thread that walks the folder and one that decodes the pictures ahead of
// their turn (with COM of its own), so that the thread that draws never waits
// for a disk, and the first picture found shows while the walk goes on. Each
// monitor starts black and fades in its first picture once decoded; the
// pixels reach their texture as fast as the frames can spare, so no frame is
// late.
class Slideshow {
public:
    Slideshow();
    ~Slideshow();
    Slideshow(const Slideshow&) = delete;
    Slideshow& operator=(const Slideshow&) = delete;

    // Stops what shows and starts the choice; returns at once. Without a
    // rendering context current, the pictures are decoded for a texture side
    // every context takes, and shown from the first Advance, which needs one.
    void Start(const SlideshowChoice& choice, PixelSize largestMonitor,
               const SlideshowFiles& files = DiskSlideshowFiles());

    // Waits until every monitor's first picture is decoded, or known not to
    // come (the built-in picture instead, or nothing), for `milliseconds` at
    // most; true when they all came.
    bool AwaitFirstPictures(DWORD milliseconds);

    // Once per frame, with the rendering context current and `now` in
    // microseconds: takes what the thread has decoded, uploads what the
    // frame can spare of it and moves the changes on.
    void Advance(uint64_t now);

    // Fills in this frame's pictures of the monitor (counted modulo the
    // pictures shown at once); leaves them as they are before Start.
    void ShowOn(int monitor, ShownPictures& pictures) const;

    // The monitors' shapes changed (a monitor turned, a display change):
    // the pictures picked from now on follow them.
    void SetMonitorShapes(const std::vector<PictureShape>& shapes);

    // The picture the first monitor shows or fades to; "" before there is
    // one, and for the built-in picture.
    std::string ShownPicture() const;

    // How many fades have begun, the first pictures' included.
    int ChangesStarted() const { return changesStarted; }
    // When (in Advance's microseconds) the first picture was first in full
    // view; 0 before.
    uint64_t FirstPictureShownAt() const { return firstPictureShownAt; }

    // Ends the show at once: deletes its textures where the rendering context
    // is current and tells its threads to stop, without waiting for them
    // (they may be reading a slow disk or decoding a large photo).
    void Stop();
    // Waits for the threads told to stop, for a second at most: one still
    // blocked then (a share that stopped answering) is left to end on its
    // own, and the last of a show's threads to end frees its work. The
    // destructor does the same.
    void JoinThreads();

private:
    bool TakeDecoded(SlideshowScreen& screen, size_t index);
    void MakeBlack();

    void Upload(SlideshowScreen& screen);

    struct Stopping {
        std::vector<HANDLE> threads;
        std::shared_ptr<SlideshowWork> work;
    };

    // Shared with its threads, each of which holds it until it ends.
    std::shared_ptr<SlideshowWork> work;
    std::vector<HANDLE> threads;
    std::vector<Stopping> stopping;
    std::vector<SlideshowScreen> screens;
    GLuint black = 0;
    uint64_t now = 0;  // milliseconds
    UploadPacer pacer;
    bool changesAfterFirst = false;
    int changesStarted = 0;
    uint64_t firstPictureShownAt = 0;
};
