#include "ui/companions/preview_controller.h"

#include <QTimer>

#include "analysis/analysis_driver.h"
#include "analysis/http_transport.h"
#include "analysis/link_kind.h"
#include "analysis/service_hosts.h"
#include "ui/companions/lyric_view.h"
#include "ui/desktop/background_work.h"
#include "ui/desktop/desktop_services.h"
#include "ui/desktop/lyric_cache.h"

namespace velomir {

PreviewController::PreviewController(UiServices& services, LyricCache& lyrics, MediaBackendFactory makeBackend,
                                     QWidget* owner)
    : services_(services), lyrics_(lyrics), makeBackend_(std::move(makeBackend)), owner_(owner) {}

PreviewController::~PreviewController() { delete window_.data(); }

bool PreviewController::isPreviewOpen() const { return window_ && window_->isVisible(); }

void PreviewController::showPreview(const RunState& state) {
    const int row = state.currentRow;
    if (row < 1 || row > static_cast<int>(state.resultRows.size())) return;
    state_ = PreviewState::fromRow(state.resultRows[row - 1], state.currentRecordType);
    recordType_ = state.currentRecordType;
    if (!isPreviewOpen()) {
        window_ = new PreviewWindow(services_, makeBackend_(), state_, owner_);
        window_->show();
    }
    refreshPreview();
}

void PreviewController::refreshPreview() {
    if (!isPreviewOpen()) return;
    const std::uint64_t refresh = ++refresh_;
    window_->player().navigate(kBlankPage);
    window_->resetCopyButton();
    window_->showTitle(state_.previewTitle);
    // The song starts first: its lyrics and cover never hold it up.
    window_->player().navigate(buildWidgetAddress(state_.previewId, widgetTypeOf(recordType_)));
    fetchCover(refresh);
    fetchLyrics(refresh);
}

void PreviewController::fetchCover(std::uint64_t refresh) {
    if (!isWebAddress(state_.previewCover)) {
        window_->showCover({});
        return;
    }
    HttpTransport& http = services_.http;
    services_.work.run<std::string>(
        window_, [&http, address = thumbnailAddress(state_.previewCover)] { return http.fetchBytes(address); },
        [this, refresh](std::string bytes) {
            // A newer refresh, or closing, may have overtaken this one while the picture was fetched.
            if (refresh != refresh_ || !isPreviewOpen()) return;
            window_->showCover(bytes);
        });
}

void PreviewController::fetchLyrics(std::uint64_t refresh) {
    LyricView& view = window_->lyrics();
    if (recordType_ == RecordType::Programme) {
        view.clear();
        return;
    }
    if (const Lyrics* known = lyrics_.find(state_.previewId)) {
        view.showLyrics(*known);
        return;
    }
    view.showLoading();
    // Asked from the event loop, after the player has asked for the song: when the workers are busy, the song
    // goes first.
    QTimer::singleShot(0, window_, [this, refresh] {
        if (refresh != refresh_ || !isPreviewOpen()) return;
        lyrics_.fetch(state_.previewId, window_, [this, refresh](const Lyrics& lyrics) {
            if (refresh == refresh_ && isPreviewOpen()) window_->lyrics().showLyrics(lyrics);
        });
    });
}

}  // namespace velomir
