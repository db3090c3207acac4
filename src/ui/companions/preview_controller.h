// The preview state and the one preview window: opened for the grid's current row, it follows the row while open.
#pragma once

#include <QPointer>
#include <cstdint>

#include "analysis/link_kind.h"
#include "analysis/service_addresses.h"
#include "ui/companions/preview_state.h"
#include "ui/companions/preview_window.h"
#include "ui/companions/widget_player.h"

class QWidget;

namespace velomir {

class LyricCache;
struct RunState;
struct UiServices;

class PreviewController {
public:
    // `owner` (the main window) owns the preview window; each window gets a fresh back end from `makeBackend`. Lyrics
    // come from `lyrics`, which outlives the controller.
    PreviewController(UiServices& services, LyricCache& lyrics, MediaBackendFactory makeBackend, QWidget* owner);
    ~PreviewController();
    PreviewController(const PreviewController&) = delete;
    PreviewController& operator=(const PreviewController&) = delete;

    // Takes the current row of `state` into the preview and refreshes the open window, or opens one. Does nothing
    // when the state has no current row.
    void showPreview(const RunState& state);
    // Loads the preview state into the open window: title, player, copy button, cover and lyrics.
    void refreshPreview();
    bool isPreviewOpen() const;

    const PreviewState& state() const { return state_; }
    // The open preview window, or null.
    PreviewWindow* window() const { return isPreviewOpen() ? window_.data() : nullptr; }

private:
    void fetchCover(std::uint64_t refresh);
    void fetchLyrics(std::uint64_t refresh);

    UiServices& services_;
    LyricCache& lyrics_;
    MediaBackendFactory makeBackend_;
    QWidget* owner_;
    PreviewState state_;
    RecordType recordType_ = RecordType::Track;
    QPointer<PreviewWindow> window_;
    std::uint64_t refresh_ = 0;
};

}  // namespace velomir
