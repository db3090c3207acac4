// MediaBackend on Qt Multimedia: a QMediaPlayer on the default audio output.
#pragma once

#include <QAudioOutput>
#include <QMediaPlayer>

#include "ui/companions/widget_player.h"

namespace velomir {

class QtMediaBackend : public MediaBackend {
public:
    QtMediaBackend();

    void play(const std::string& address, StartedHandler started, FailedHandler failed) override;
    void stop() override;

private:
    void reportStarted();
    void reportFailed();

    QAudioOutput output_;  // declared first: the player that uses it goes first
    QMediaPlayer player_;
    StartedHandler started_;
    FailedHandler failed_;
};

}  // namespace velomir
