#include "ui/companions/widget_player.h"

#include <QTimer>

#include "analysis/audio_address.h"
#include "analysis/service_addresses.h"
#include "ui/desktop/background_work.h"
#include "ui/desktop/desktop_services.h"

namespace velomir {

WidgetPlayer::WidgetPlayer(HttpTransport& http, BackgroundWork& work, std::unique_ptr<MediaBackend> backend,
                           QObject* parent)
    : QObject(parent), http_(http), work_(work), backend_(std::move(backend)) {
    if (backend_) backend_->setPositionHandler([this](std::int64_t positionMs) { emit positionChanged(positionMs); });
}

WidgetPlayer::~WidgetPlayer() {
    if (!backend_) return;
    // Stopping may still report a position: nothing may reach this half-destroyed object any more.
    backend_->setPositionHandler(nullptr);
    backend_->stop();
}

void WidgetPlayer::navigate(const std::string& address) {
    const std::uint64_t navigation = ++navigation_;
    emit navigationStarting();
    // The old page goes the moment the view leaves it, so its sound stops before the new page loads.
    if (backend_) backend_->stop();
    QTimer::singleShot(0, this, [this, navigation, address] { load(navigation, address); });
}

void WidgetPlayer::load(std::uint64_t navigation, const std::string& address) {
    if (navigation != navigation_) return;
    if (address == kBlankPage) {
        complete(navigation, address);
        return;
    }
    const std::optional<WidgetRequest> request = parseWidgetAddress(address);
    if (!request || !backend_) return;
    HttpTransport& http = http_;
    work_.run<std::string>(
        this, [request = *request, &http] { return resolveWidgetAudio(request, http); },
        [this, navigation, address](std::string audio) {
            // A newer navigation overtook this one while the service was asked.
            if (navigation != navigation_ || !isWebAddress(audio)) return;
            backend_->play(
                audio, [this, navigation, address] { complete(navigation, address); },
                [this, navigation] {
                    if (navigation == navigation_) emit navigationFailed();
                });
        });
}

void WidgetPlayer::complete(std::uint64_t navigation, const std::string& address) {
    if (navigation != navigation_) return;
    currentAddress_ = address;
    emit navigationCompleted(QString::fromStdString(address));
}

}  // namespace velomir
