#include "ui/companions/preview_state.h"

#include "analysis/audio_address.h"
#include "analysis/link_kind.h"
#include "analysis/result_row.h"

namespace velomir {

namespace {

constexpr char kTitleBreak[] = "\r\n-\r\n";

}  // namespace

PreviewState PreviewState::fromRow(const ResultRow& row, RecordType recordType) {
    const bool programme = recordType == RecordType::Programme;
    PreviewState state;
    state.previewId = programme ? row.programmeId : row.trackId;
    state.previewTitle =
        programme ? row.programmeName + kTitleBreak + row.djNickname : row.trackName + kTitleBreak + row.artistNames;
    state.previewCover = row.pictureAddress();
    // The external link must play even where the answer withheld the address.
    state.previewAudio = playableAudioAddress(row);
    return state;
}

}  // namespace velomir
