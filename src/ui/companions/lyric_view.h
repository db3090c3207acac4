// The preview's lyrics: timed lines that scroll with the playing position, the current one standing out with its
// translation beneath it, or a few words in their place (an instrumental, no lyrics, plain text).
#pragma once

#include <QScrollArea>
#include <cstdint>
#include <vector>

#include "lyrics/lyrics.h"

class QLabel;

namespace velomir {

class LyricView : public QScrollArea {
    Q_OBJECT

public:
    explicit LyricView(QWidget* parent);

    // Nothing at all: an item whose lyrics are not asked for.
    void clear();
    // A word that the lyrics are on their way.
    void showLoading();
    void showLyrics(const Lyrics& lyrics);
    // The playing position. It alone moves the highlight, so a seek moves it and a pause keeps it; the position is
    // kept for lyrics that come later.
    void setPosition(std::int64_t positionMs);
    // The line standing out, 1-based; 0 for none.
    int currentLine() const { return current_; }

signals:
    void currentLineChanged(int line);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    struct ShownLine {
        QLabel* text;
        QLabel* translation;  // null when the line has none
    };

    void removeContent();
    void showWords(const QString& words, bool plain);
    void styleLine(int line, bool current);
    void layOut();
    void scrollToCurrent();

    QWidget* content_;
    Lyrics lyrics_;  // the timed lines shown, else empty
    std::vector<ShownLine> lines_;
    QLabel* words_ = nullptr;  // a word, or plain text, in place of lines
    bool plainWords_ = false;  // plain text reads from the top; a word sits in the middle
    int current_ = 0;
    std::int64_t positionMs_ = 0;
};

}  // namespace velomir
