#include "ui/companions/lyric_view.h"

#include <QLabel>
#include <QScrollBar>
#include <algorithm>

#include "ui/companions/companion_widgets.h"

namespace velomir {

namespace {

constexpr int kLinePixels = 13;
constexpr int kCurrentPixels = 15;
constexpr int kTranslationPixels = 12;
constexpr int kSideMargin = 6;
constexpr int kLineGap = 6;
constexpr int kPlainMargin = 8;

QLabel* addText(QWidget* parent, const char* name, const std::string& text) {
    auto* label = new QLabel(parent);
    label->setObjectName(QString::fromUtf8(name));
    // Lyrics come from the service: never read as markup.
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignHCenter | Qt::AlignTop);
    label->setText(QString::fromStdString(text));
    label->show();
    return label;
}

void setLook(QLabel* label, int pixels, bool bold, const QColor& colour) {
    QFont font = label->font();
    font.setPixelSize(pixels);
    font.setBold(bold);
    label->setFont(font);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
}

// An empty line still takes a line's height: it stands for a pause in the song.
int heightAt(const QLabel* label, int width) {
    return std::max(label->heightForWidth(width), label->fontMetrics().height());
}

}  // namespace

LyricView::LyricView(QWidget* parent) : QScrollArea(parent), content_(new QWidget) {
    setObjectName(QStringLiteral("列表_歌词"));
    setFrameShape(QFrame::NoFrame);
    setFocusPolicy(Qt::NoFocus);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The position scrolls the lines; the wheel still can.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    companion::setBackground(viewport(), companion::kWindowColour);
    setWidget(content_);
}

void LyricView::clear() {
    removeContent();
    layOut();
}

void LyricView::showLoading() {
    removeContent();
    showWords(QStringLiteral("正在载入歌词…"), false);
}

void LyricView::showLyrics(const Lyrics& lyrics) {
    removeContent();
    switch (lyrics.kind) {
        case Lyrics::Kind::None:
            showWords(QStringLiteral("暂无歌词"), false);
            return;
        case Lyrics::Kind::Instrumental:
            showWords(QString::fromUtf8(kInstrumentalText.data(), static_cast<qsizetype>(kInstrumentalText.size())),
                      false);
            return;
        case Lyrics::Kind::Plain:
            showWords(QString::fromStdString(lyrics.plainText), true);
            return;
        case Lyrics::Kind::Timed:
            break;
    }
    lyrics_ = lyrics;
    for (const LyricLine& line : lyrics_.lines) {
        QLabel* text = addText(content_, "标签_歌词行", line.text);
        QLabel* translation = line.translation.empty() ? nullptr : addText(content_, "标签_歌词译文", line.translation);
        lines_.push_back({text, translation});
        styleLine(static_cast<int>(lines_.size()), false);
    }
    const int line = velomir::currentLine(lyrics_, positionMs_);
    if (line > 0) styleLine(line, true);
    current_ = line;
    if (current_ != 0) emit currentLineChanged(current_);
    layOut();
    scrollToCurrent();
}

void LyricView::setPosition(std::int64_t positionMs) {
    positionMs_ = positionMs;
    const int line = velomir::currentLine(lyrics_, positionMs);
    if (line == current_) return;
    if (current_ > 0) styleLine(current_, false);
    if (line > 0) styleLine(line, true);
    current_ = line;
    layOut();
    scrollToCurrent();
    emit currentLineChanged(current_);
}

void LyricView::resizeEvent(QResizeEvent* event) {
    QScrollArea::resizeEvent(event);
    layOut();
    scrollToCurrent();
}

void LyricView::removeContent() {
    const bool hadLine = current_ != 0;
    for (const ShownLine& line : lines_) {
        delete line.text;
        delete line.translation;
    }
    lines_.clear();
    delete words_;
    words_ = nullptr;
    lyrics_ = {};
    current_ = 0;
    if (hadLine) emit currentLineChanged(0);
}

void LyricView::showWords(const QString& words, bool plain) {
    words_ = addText(content_, "标签_歌词文字", {});
    words_->setText(words);
    setLook(words_, kLinePixels, false, plain ? companion::kPlainLyricsColour : companion::kLyricLineColour);
    if (!plain) words_->setAlignment(Qt::AlignCenter);
    plainWords_ = plain;
    layOut();
    scrollToCurrent();
}

void LyricView::styleLine(int line, bool current) {
    const ShownLine& shown = lines_[static_cast<std::size_t>(line) - 1];
    if (current) {
        setLook(shown.text, kCurrentPixels, true, companion::kCaptionColour);
    } else {
        setLook(shown.text, kLinePixels, false, companion::kLyricLineColour);
    }
    if (shown.translation == nullptr) return;
    setLook(shown.translation, kTranslationPixels, false, companion::kTranslationColour);
    shown.translation->setVisible(current);
}

// Lines are placed by hand rather than by a layout, so that their places are known at once for scrolling.
void LyricView::layOut() {
    const int width = viewport()->width();
    const int textWidth = std::max(1, width - 2 * kSideMargin);
    const int viewHeight = viewport()->height();
    int height = viewHeight;
    if (words_ != nullptr && !plainWords_) {
        words_->setGeometry(kSideMargin, 0, textWidth, viewHeight);
    } else if (words_ != nullptr) {
        const int wordsHeight = heightAt(words_, textWidth);
        words_->setGeometry(kSideMargin, kPlainMargin, textWidth, wordsHeight);
        height = std::max(height, wordsHeight + 2 * kPlainMargin);
    } else if (!lines_.empty()) {
        // Half a view of room above the first line and below the last, so that any line can sit in the middle.
        int top = viewHeight / 2;
        for (const ShownLine& line : lines_) {
            const int textHeight = heightAt(line.text, textWidth);
            line.text->setGeometry(kSideMargin, top, textWidth, textHeight);
            top += textHeight;
            if (line.translation != nullptr && !line.translation->isHidden()) {
                const int translationHeight = heightAt(line.translation, textWidth);
                line.translation->setGeometry(kSideMargin, top, textWidth, translationHeight);
                top += translationHeight;
            }
            top += kLineGap;
        }
        height = top + viewHeight / 2;
    }
    content_->resize(width, height);
    // Set here as well: the scroll area only catches up once the content's resize reaches it, later when hidden.
    verticalScrollBar()->setRange(0, std::max(0, height - viewHeight));
    verticalScrollBar()->setPageStep(viewHeight);
}

// The current line (or the first, before it) in the middle of the view.
void LyricView::scrollToCurrent() {
    if (lines_.empty()) {
        verticalScrollBar()->setValue(0);
        return;
    }
    const ShownLine& line = lines_[static_cast<std::size_t>(std::max(current_, 1)) - 1];
    int bottom = line.text->geometry().bottom();
    if (line.translation != nullptr && !line.translation->isHidden()) bottom = line.translation->geometry().bottom();
    const int middle = (line.text->y() + bottom + 1) / 2;
    verticalScrollBar()->setValue(middle - viewport()->height() / 2);
}

}  // namespace velomir
