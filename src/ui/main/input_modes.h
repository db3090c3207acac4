// Parse mode and search mode: the two tabs of the left bar, the hint text of the link box, and the Enter key that
// starts a run.
#pragma once

#include <QObject>

class QLineEdit;
class QPushButton;

namespace velomir {

class ClickLabel;

struct ModeControls {
    ClickLabel* leftBar;
    ClickLabel* parseTab;
    ClickLabel* parseStripe;
    ClickLabel* parseCaption;
    ClickLabel* parseArea;
    ClickLabel* searchTab;
    ClickLabel* searchStripe;
    ClickLabel* searchCaption;
    ClickLabel* searchArea;
    ClickLabel* modeReference;
    ClickLabel* redEdge;
    QPushButton* focusButton;
    QLineEdit* linkBox;
};

inline constexpr int kParseMode = 0;
inline constexpr int kSearchMode = 1;

QString parseHint();
QString searchHint();

class InputModes : public QObject {
    Q_OBJECT

public:
    InputModes(const ModeControls& controls, QObject* parent);

    int mode() const { return mode_; }
    // Takes the focus from the link box, then shows `mode` in the tabs (its colours copied from the reference
    // controls) and swaps a showing hint for the other mode's.
    void switchMode(int mode);
    // Empties a hint when the box has the focus; shows the mode's hint when it has not and holds only blanks.
    void applyHintRule();
    void moveFocusAway();

signals:
    // Enter was released in the link box.
    void enterReleased();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showParseMode();
    void showSearchMode();

    ModeControls controls_;
    int mode_ = kParseMode;
};

}  // namespace velomir
