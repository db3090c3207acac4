// The small window that plays one result row, shows its lyrics in time and copies its external link.
#pragma once

#include <QWidget>
#include <memory>
#include <string>

#include "ui/companions/speaker_animation.h"
#include "ui/companions/widget_player.h"

class QLabel;

namespace velomir {

class LyricView;
struct PreviewState;
struct UiServices;

class PreviewWindow : public QWidget {
    Q_OBJECT

public:
    // `state` outlives the window: the buttons read it, closing empties its ID, title and cover.
    PreviewWindow(UiServices& services, std::unique_ptr<MediaBackend> backend, PreviewState& state, QWidget* owner);

    WidgetPlayer& player() { return *player_; }
    // Follows the player's position by itself; what it shows is the controller's to say.
    LyricView& lyrics() { return *lyrics_; }
    // The plain copy face and its tooltip.
    void resetCopyButton();
    // Window title and name label.
    void showTitle(const std::string& title);
    // The picture in `bytes`; anything that is no picture leaves the cover box empty.
    void showCover(const std::string& bytes);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    enum class CopyFace { Plain, Done, Failed };

    void buildDisc();
    void buildStrip();
    void connectPlayer();
    void copyAudio();
    void showCopyFace(CopyFace face);
    void tickCopyFace();

    UiServices& services_;
    PreviewState& state_;
    WidgetPlayer* player_;
    QLabel* cover_ = nullptr;
    QLabel* copyButton_ = nullptr;
    QLabel* name_ = nullptr;
    QLabel* footer_ = nullptr;  // the window's name, or why the song does not play
    LyricView* lyrics_ = nullptr;
    std::unique_ptr<SpeakerAnimation> speaker_;
    CopyFace copyFace_ = CopyFace::Plain;
    int copyIconTicks_ = 0;
};

}  // namespace velomir
