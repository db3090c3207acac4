#include "ui/companions/speaker_animation.h"

#include <QLabel>
#include <QTimer>

#include "ui/companions/companion_widgets.h"

namespace velomir {

namespace {

constexpr int kFrameInterval = 50;
constexpr int kRestingFrame = 3;

}  // namespace

SpeakerAnimation::SpeakerAnimation(QLabel* speaker, const char* timerName)
    : speaker_(speaker), timer_(new QTimer(speaker)) {
    timer_->setObjectName(QString::fromUtf8(timerName));
    speaker_->setScaledContents(true);
    QObject::connect(timer_, &QTimer::timeout, speaker_, [this] { showFrame(frame_ % 3 + 1); });
    showFrame(kRestingFrame);
}

void SpeakerAnimation::start() { timer_->start(kFrameInterval); }

void SpeakerAnimation::stop() {
    timer_->stop();
    showFrame(kRestingFrame);
}

bool SpeakerAnimation::running() const { return timer_->isActive(); }

void SpeakerAnimation::showFrame(int frame) {
    frame_ = frame;
    speaker_->setPixmap(companion::skinImage(companion::kSpeakerFrames[frame - 1]));
}

}  // namespace velomir
