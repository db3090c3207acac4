// The speaker picture of a companion window: it cycles through its three frames while the player is loaded.
#pragma once

class QLabel;
class QTimer;

namespace velomir {

class SpeakerAnimation {
public:
    // Shows the resting frame in `speaker`; the clock is a child of the speaker named `timerName`.
    SpeakerAnimation(QLabel* speaker, const char* timerName);

    void start();                         // a frame every 50 ms
    void stop();                          // back to the resting frame
    int frame() const { return frame_; }  // 1 to 3
    bool running() const;

private:
    void showFrame(int frame);

    QLabel* speaker_;
    QTimer* timer_;
    int frame_ = 3;
};

}  // namespace velomir
