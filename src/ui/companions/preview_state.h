// What the preview window shows and copies: taken from one result row when the preview is asked for.
#pragma once

#include <string>

namespace velomir {

struct ResultRow;

struct PreviewState {
    std::string previewId;
    std::string previewTitle;  // name, CR LF, "-", CR LF, artists (or DJ)
    std::string previewCover;
    std::string previewAudio;  // the item's external link

    // Field set 2 takes the programme fields, any other the track fields.
    static PreviewState fromRow(const ResultRow& row, int fieldSet);
};

}  // namespace velomir
