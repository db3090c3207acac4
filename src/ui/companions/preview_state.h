// What the preview window shows and copies: taken from one result row when the preview is asked for.
#pragma once

#include <string>

#include "analysis/link_kind.h"

namespace velomir {

struct ResultRow;

struct PreviewState {
    std::string previewId;
    std::string previewTitle;  // name, CR LF, "-", CR LF, artists (or DJ)
    std::string previewCover;
    std::string previewAudio;  // the item's external link

    // A programme row gives the programme and its DJ, a track row the track and its artists.
    static PreviewState fromRow(const ResultRow& row, RecordType recordType);
};

}  // namespace velomir
