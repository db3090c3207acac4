// The settings bar `图片框_图片按钮底`: the gear, the cover and jump-to-search switches and the maximum count box.
// Collapsed it is as wide as the left bar, so only the gear shows.
#pragma once

#include "analysis/analysis_options.h"
#include "ui/main/click_label.h"

class QLineEdit;
class QTimer;

namespace velomir {

// The controls whose colours and edges the bar takes as its own.
struct SettingsBarFrame {
    ClickLabel* leftBar;
    ClickLabel* modeReference;
    QWidget* middlePanel;
};

class SettingsBar : public ClickLabel {
    Q_OBJECT

public:
    SettingsBar(QWidget* parent, const SettingsBarFrame& frame, AnalysisOptions& options);

    // Gear click: expands a collapsed bar to the middle panel's right edge, collapses an expanded one.
    void toggle();
    // Collapses the bar (with the left bar's colour) when it is expanded; then settles the bar.
    void collapse();
    // Only narrows the bar to the left bar's width; colours stay.
    void narrow();

    void applyCoverSwitch(bool on);
    void applyJumpSwitch(bool on);
    void showMaxCount(int count);

    QLineEdit* maxCountBox() const { return maxBox_; }

signals:
    void optionsChanged();
    // The cover option was switched on by the user: the shown row's cover should be fetched again.
    void coverSwitchedOn();
    // The cover option went off: the cover should return to the default picture.
    void coverSwitchedOff();
    void focusAwayWanted();

private:
    void buildControls();
    ClickLabel* addCaption(const char* name, const QRect& geometry, const QString& text);
    void settle();
    void onCoverClicked();
    void onJumpClicked();
    void onMaxEdited();

    SettingsBarFrame frame_;
    AnalysisOptions& options_;
    ClickLabel* gear_ = nullptr;
    ClickLabel* coverSwitch_ = nullptr;
    ClickLabel* jumpSwitch_ = nullptr;
    QList<ClickLabel*> captions_;
    QLineEdit* maxBox_ = nullptr;
    QTimer* idleTimer_ = nullptr;
};

}  // namespace velomir
