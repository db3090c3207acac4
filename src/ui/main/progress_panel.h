// The progress panel `图片框_进度`: covers the grid during a run with the stage text and a spinning disc.
#pragma once

#include "ui/main/click_label.h"

namespace velomir {

class ProgressPanel : public ClickLabel {
    Q_OBJECT

public:
    explicit ProgressPanel(QWidget* parent);

    // One tick of the progress timer: shows or hides the panel for `step`, sets its text, turns the disc. While a
    // long list is completed (`total` above 0) the text counts its tracks.
    void tick(int step, int loaded = 0, int total = 0);

    // Re-centres the text and the disc after the panel was resized.
    void centreContents();

    ClickLabel* caption() const { return caption_; }
    ClickLabel* loader() const { return loader_; }

private:
    ClickLabel* loader_;
    ClickLabel* caption_;
};

// The text shown for a run stage; the finishing text for idle and anything else.
QString stageText(int step);

}  // namespace velomir
