#include "stage/stage_choice.h"

bool ShowsFiles(PictureSource source)
{
    return source == PictureSource::File || source == PictureSource::Folder;
}

bool SamePictures(const StageChoice& a, const StageChoice& b)
{
    if (a.source != b.source) {
        return false;
    }
    switch (a.source) {
    case PictureSource::File:
        return a.file == b.file;
    case PictureSource::Folder:
        return a.folder == b.folder && a.includeSubfolders == b.includeSubfolders &&
               a.slideSeconds == b.slideSeconds && a.monitorPictures == b.monitorPictures &&
               a.cacheMegabytes == b.cacheMegabytes && a.fillsCache == b.fillsCache;
    case PictureSource::Desktop:
    case PictureSource::BuiltIn:
        return true;
    }
    return false;
}

bool SameSurfaces(const StageChoice& a, const StageChoice& b)
{
    return a.look == b.look && a.waveStyle == b.waveStyle && a.speedPercent == b.speedPercent;
}
