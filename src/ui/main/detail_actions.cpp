// What the labels of the detail pane do when clicked: copy, open and jump.
#include <QTimer>

#include "analysis/analysis_driver.h"
#include "analysis/audio_address.h"
#include "analysis/link_kind.h"
#include "analysis/service_addresses.h"
#include "ui/desktop/background_work.h"
#include "ui/desktop/desktop_services.h"
#include "ui/desktop/lyric_cache.h"
#include "ui/main/detail_pane.h"

namespace velomir {

namespace {

constexpr int kHintMilliseconds = 1000;
constexpr int kHintTicks = 2;

}  // namespace

void DetailPane::bindClicks() {
    connect(audioAddress_, &ClickLabel::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) copyAudioAddress();
        if (button == Qt::RightButton) emit previewRequested();
    });
    connect(lyricsEntry_, &ClickLabel::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) copyLyrics();
        if (button == Qt::RightButton) emit previewRequested();
    });
    connect(pictureAddress_, &ClickLabel::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) copyPictureAddress();
        if (button == Qt::RightButton) openPictureAddress();
    });
    connect(albumName_, &ClickLabel::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) jumpToAlbum();
    });
    connect(artistName_, &ClickLabel::released, this, [this](Qt::MouseButton button) {
        if (button == Qt::LeftButton) jumpToArtist();
    });
}

void DetailPane::copyAudioAddress() {
    const int row = state_.currentRow;
    if (!validRow(row)) return;
    showLoadingHint();
    HttpTransport& http = services_.http;
    const unsigned list = state_.runNumber;
    services_.work.run<std::string>(
        this,
        [&http, single = std::vector<ResultRow>{state_.resultRows[static_cast<std::size_t>(row) - 1]},
         maxCount = options_.maxCount]() mutable {
            resolveAudioAddress(1, single, http, maxCount);
            return single.front().audioAddress;
        },
        [this, row, list](std::string address) {
            // Kept for the next copy, unless another list has replaced this one meanwhile.
            if (list == state_.runNumber && validRow(row)) {
                state_.resultRows[static_cast<std::size_t>(row) - 1].audioAddress = address;
            }
            copyWithHint(address);
        });
}

void DetailPane::showLoadingHint() { showHint(QStringLiteral("正载入地址")); }

void DetailPane::copyPictureAddress() {
    if (!validRow(state_.currentRow)) return;
    copyWithHint(state_.resultRows[static_cast<std::size_t>(state_.currentRow) - 1].pictureAddress());
}

void DetailPane::copyLyrics() {
    const int row = state_.currentRow;
    if (!validRow(row) || state_.currentRecordType == RecordType::Programme) return;
    const std::string& songId = state_.resultRows[static_cast<std::size_t>(row) - 1].trackId;
    if (lyrics_.find(songId) == nullptr) showHint(QStringLiteral("正载入歌词"));
    // Lyrics of none give no text: a failed copy.
    lyrics_.fetch(songId, this, [this](const Lyrics& lyrics) { copyWithHint(lrcText(lyrics)); });
}

void DetailPane::openPictureAddress() {
    if (!validRow(state_.currentRow)) return;
    openWebAddress(services_.opener,
                   state_.resultRows[static_cast<std::size_t>(state_.currentRow) - 1].pictureAddress());
}

// An empty address is a failed copy: the clipboard keeps what it held.
void DetailPane::copyWithHint(const std::string& address) {
    const bool copied = !address.empty() && copyText(services_.clipboard, address);
    showHint(copied ? QStringLiteral("内容已复制") : QStringLiteral("复制失败"));
    hintTimer_->start(kHintMilliseconds);
}

void DetailPane::showHint(const QString& caption) {
    hint_->setText(caption);
    hint_->show();
    hint_->raise();
}

// The counter is not reset by a new copy, so a second copy may lose its hint after one tick.
void DetailPane::hintTick() {
    if (++hintTicks_ < kHintTicks) return;
    hintTicks_ = 0;
    hint_->hide();
    hintTimer_->stop();
}

void DetailPane::jumpToAlbum() {
    switch (kindTraits(state_.currentKind).albumJump) {
        case AlbumJump::None:
            return;
        case AlbumJump::Radio:
            emit jumpRequested(radioPageAddress(detailIds_[kRadioIdSlot]));
            return;
        case AlbumJump::Album:
            emit jumpRequested(albumPageAddress(detailIds_[kAlbumIdSlot]));
    }
}

void DetailPane::jumpToArtist() { emit jumpRequested(artistPageAddress(detailIds_[kArtistIdsSlot])); }

}  // namespace velomir
