// The about window: the program's byline, a fixed song playing, the home page and a sample playlist.
#pragma once

#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "ui/companions/speaker_animation.h"
#include "ui/companions/widget_player.h"

class QLabel;

namespace velomir {

struct UiServices;

// The song the window plays, and the playlist its picture offers (one of the stand-in service's samples too).
inline constexpr char kAboutSongId[] = "26291188";
inline constexpr char kSamplePlaylistId[] = "2330887406";

// The project's home page: the address configured at build time (VELOMIR_HOME_PAGE), else the installed README.
std::string projectHomePage();

class AboutWindow : public QWidget {
    Q_OBJECT

public:
    // `analyseLink` writes a link into the main window's link box and analyses it, unless a run is under way; it is
    // called from the event loop after the click. The window deletes itself when closed, which ends the song.
    AboutWindow(UiServices& services, MediaBackendFactory makeBackend,
                std::function<void(const std::string& link)> analyseLink, QWidget* owner);

    WidgetPlayer& player() { return *player_; }

private:
    void buildDisc();
    void buildStrip();
    void openSamplePlaylist();

    UiServices& services_;
    std::function<void(const std::string&)> analyseLink_;
    WidgetPlayer* player_;
    std::unique_ptr<SpeakerAnimation> speaker_;
};

}  // namespace velomir
