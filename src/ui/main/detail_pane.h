// The detail pane `图片框_歌曲信息底`: the chosen row's name, album, artist, source and cover, and the labels that
// copy or open its addresses and lyrics and jump to its album or artist.
#pragma once

#include <array>
#include <string>

#include "ui/main/click_label.h"

class QTimer;

namespace velomir {

class LyricCache;
struct AnalysisOptions;
struct ResultRow;
struct RunState;
struct UiServices;

// Where each of the shown row's IDs stands among the detail IDs.
enum DetailIdSlot { kAlbumIdSlot, kTrackIdSlot, kArtistIdsSlot, kProgrammeIdSlot, kDjUserIdSlot, kRadioIdSlot };

class DetailPane : public ClickLabel {
    Q_OBJECT

public:
    // `lyrics` outlives the pane.
    DetailPane(QWidget* parent, RunState& state, const AnalysisOptions& options, UiServices& services,
               LyricCache& lyrics);

    // The grid cursor moved to `row` (1-based, 0 for none): shows that row unless it is shown already.
    void showRow(int row);
    // Placeholder captions and the default cover; a cover still on its way for an earlier row is dropped.
    void reset();
    // The cover option went off: back to the default picture.
    void showDefaultCover();
    // The cover option came on: fetches the shown row's cover again and shows it as it came.
    void fetchCoverAgain();
    // Widths that follow the pane's width (the pane's own width is set by the window).
    void fitWidth(int width);
    void createTooltips();

    void copyAudioAddress();
    // "正载入地址" while an address is being resolved.
    void showLoadingHint();
    // Copies `text` and says whether it worked; an empty text is a failed copy and the clipboard keeps its text.
    void copyWithHint(const std::string& text);
    void copyPictureAddress();
    // Copies the shown track's lyrics as LRC, asking the service first when this session has not had them yet.
    void copyLyrics();
    void openPictureAddress();
    void jumpToAlbum();
    void jumpToArtist();

    ClickLabel* cover() const { return cover_; }
    const std::array<std::string, 6>& detailIds() const { return detailIds_; }

signals:
    // Every cursor move, also onto the row already shown (an open preview follows it).
    void cursorMoved();
    // A right click on the audio address or the lyrics.
    void previewRequested();
    // The album or artist label asks for a run of this address.
    void jumpRequested(const std::string& address);

private:
    void buildControls();
    ClickLabel* addLabel(const char* name, const QRect& geometry, const QString& text, QRgb textColour);
    void bindClicks();
    void showDetails(int row);
    // Fetches the picture's thumbnail on a worker and shows it, or the default cover when `fallback` and none
    // came; a newer request drops it.
    void setCover(const std::string& pictureAddress, bool fallback);
    bool validRow(int row) const;
    void showHint(const QString& text);
    void hintTick();

    RunState& state_;
    const AnalysisOptions& options_;
    UiServices& services_;
    LyricCache& lyrics_;
    std::array<std::string, 6> detailIds_;
    unsigned coverTicket_ = 0;  // the newest cover request; older answers are dropped
    int hintTicks_ = 0;

    ClickLabel* disc_ = nullptr;
    ClickLabel* cover_ = nullptr;
    ClickLabel* hint_ = nullptr;
    QTimer* hintTimer_ = nullptr;
    ClickLabel* name_ = nullptr;
    ClickLabel* albumCaption_ = nullptr;
    ClickLabel* albumName_ = nullptr;
    ClickLabel* artistCaption_ = nullptr;
    ClickLabel* artistName_ = nullptr;
    ClickLabel* sourceCaption_ = nullptr;
    ClickLabel* sourceName_ = nullptr;
    ClickLabel* pictureAddress_ = nullptr;
    ClickLabel* audioAddress_ = nullptr;
    ClickLabel* lyricsEntry_ = nullptr;  // tracks only: a programme has no lyrics to ask for
    ClickLabel* usageHint_ = nullptr;
};

}  // namespace velomir
