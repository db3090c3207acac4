#include "ui/companions/qt_media_backend.h"

#include <QUrl>

namespace velomir {

QtMediaBackend::QtMediaBackend() {
    player_.setAudioOutput(&output_);
    // Sound is under way once the position moves; GStreamer tells it a little earlier, buffered while playing.
    QObject::connect(&player_, &QMediaPlayer::positionChanged, [this](qint64 position) {
        if (position > 0) reportStarted();
        reportPosition(position);
    });
    QObject::connect(&player_, &QMediaPlayer::mediaStatusChanged, [this](QMediaPlayer::MediaStatus status) {
        if (status == QMediaPlayer::BufferedMedia && player_.playbackState() == QMediaPlayer::PlayingState) {
            reportStarted();
        }
        if (status == QMediaPlayer::InvalidMedia) reportFailed();
    });
    // An HTML page (the service's 404 page for a song it will not play) is no media.
    QObject::connect(&player_, &QMediaPlayer::errorOccurred, [this](QMediaPlayer::Error error) {
        if (error != QMediaPlayer::NoError) reportFailed();
    });
}

void QtMediaBackend::play(const std::string& address, StartedHandler started, FailedHandler failed) {
    started_ = std::move(started);
    failed_ = std::move(failed);
    player_.setSource(QUrl(QString::fromStdString(address)));
    player_.play();
}

void QtMediaBackend::stop() {
    started_ = nullptr;
    failed_ = nullptr;
    player_.stop();
    player_.setSource(QUrl());
}

void QtMediaBackend::reportStarted() {
    // Once per play: the handler may start another navigation, so it is taken out before it runs.
    StartedHandler started = std::move(started_);
    started_ = nullptr;
    failed_ = nullptr;
    if (started) started();
}

void QtMediaBackend::reportFailed() {
    FailedHandler failed = std::move(failed_);
    failed_ = nullptr;
    started_ = nullptr;
    if (failed) failed();
}

std::unique_ptr<MediaBackend> makeSystemMediaBackend() { return std::make_unique<QtMediaBackend>(); }

}  // namespace velomir
