// Stands in for the hidden HTML view that loaded the service's player widget: it accepts the same addresses and
// gives the view's two navigation notifications, and plays the item's audio through a media back end.
#pragma once

#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>

namespace velomir {

class BackgroundWork;
class HttpTransport;

class MediaBackend {
public:
    using StartedHandler = std::function<void()>;
    using FailedHandler = std::function<void()>;
    using PositionHandler = std::function<void(std::int64_t positionMs)>;

    virtual ~MediaBackend() = default;
    // Starts playing `address` at once; `started` runs once playback is under way, `failed` once it is clear that
    // it cannot start (the address gives no audio). A later play or stop drops the handlers of an earlier play.
    virtual void play(const std::string& address, StartedHandler started, FailedHandler failed) = 0;
    virtual void stop() = 0;

    // Receives the playing position as it moves and after a seek; nothing comes while playback is paused. It stays
    // set across plays and stops.
    void setPositionHandler(PositionHandler handler) { position_ = std::move(handler); }

protected:
    void reportPosition(std::int64_t positionMs) {
        if (position_) position_(positionMs);
    }

private:
    PositionHandler position_;
};

using MediaBackendFactory = std::function<std::unique_ptr<MediaBackend>()>;

// The real back end: Qt Multimedia on the default audio output.
std::unique_ptr<MediaBackend> makeSystemMediaBackend();

inline constexpr char kBlankPage[] = "about:blank";

class WidgetPlayer : public QObject {
    Q_OBJECT

public:
    // The item's address is resolved through `http` on one of `work`'s workers.
    WidgetPlayer(HttpTransport& http, BackgroundWork& work, std::unique_ptr<MediaBackend> backend,
                 QObject* parent = nullptr);
    ~WidgetPlayer() override;

    // Leaves the current item at once and loads `address` from the event loop: "about:blank" completes silent;
    // a widget address completes once its item plays; anything else, or an item the service does not know,
    // never completes. A newer navigation cancels an older one.
    void navigate(const std::string& address);
    // The address of the last completed navigation.
    const std::string& currentAddress() const { return currentAddress_; }

signals:
    void navigationStarting();
    void navigationCompleted(const QString& address);
    // The item's address was found but gives no audio: a song the service will not play here.
    void navigationFailed();
    // The back end's playing position moved (or jumped after a seek).
    void positionChanged(qint64 positionMs);

private:
    void load(std::uint64_t navigation, const std::string& address);
    void complete(std::uint64_t navigation, const std::string& address);

    HttpTransport& http_;
    BackgroundWork& work_;
    std::unique_ptr<MediaBackend> backend_;
    std::string currentAddress_ = kBlankPage;
    std::uint64_t navigation_ = 0;
};

}  // namespace velomir
