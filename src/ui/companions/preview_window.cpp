#include "ui/companions/preview_window.h"

#include <QCloseEvent>
#include <QLabel>
#include <QTimer>

#include "analysis/service_addresses.h"
#include "ui/companions/companion_widgets.h"
#include "ui/companions/lyric_view.h"
#include "ui/companions/preview_state.h"
#include "ui/desktop/desktop_services.h"

namespace velomir {

using namespace companion;

namespace {

// Taller than the disc and strip alone by the lyric view.
constexpr QSize kBaseSize{265, 582};
constexpr QRect kLyricPlace{8, 334, 243, 168};
constexpr QPoint kHomePosition{50, 50};
constexpr int kCopyFaceTick = 1000;
constexpr int kTicksShowingResult = 2;
constexpr char kFooterText[] = "- 试听窗口 -";

}  // namespace

PreviewWindow::PreviewWindow(UiServices& services, std::unique_ptr<MediaBackend> backend, PreviewState& state,
                             QWidget* owner)
    : QWidget(owner, Qt::Window),
      services_(services),
      state_(state),
      player_(new WidgetPlayer(services.http, services.work, std::move(backend), this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(clientSize(kBaseSize));
    move(kHomePosition);
    setBackground(this, kWindowColour);
    setWindowTitle(QStringLiteral("试听"));
    player_->setObjectName(QStringLiteral("超文本浏览框1"));
    buildDisc();
    buildStrip();
    lyrics_ = new LyricView(this);
    lyrics_->setGeometry(kLyricPlace);
    footer_ = addCaption(this, "标签_name1", {15, 519, 229, 24}, kWindowColour, QString::fromUtf8(kFooterText));
    connectPlayer();
    auto* copyTimer = new QTimer(this);
    copyTimer->setObjectName(QStringLiteral("时钟1"));
    connect(copyTimer, &QTimer::timeout, this, &PreviewWindow::tickCopyFace);
    copyTimer->start(kCopyFaceTick);
}

void PreviewWindow::buildDisc() {
    QLabel* disc = addPictureBox(this, "图片框_黑碟底", {21, 25, 216, 184}, kWindowColour);
    disc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    disc->setPixmap(skinImage(kSleeve));
    cover_ = addPictureBox(disc, "图片框_专辑封面", {4, 4, 173, 173}, kCoverColour);
    cover_->setScaledContents(true);
    onLeftRelease(cover_, [this] { openWebAddress(services_.opener, state_.previewCover); });
    copyButton_ = addPictureBox(disc, "图片框_复制外链", {189, 147, 26, 27}, kWindowColour);
    onLeftRelease(copyButton_, [this] { copyAudio(); });
    showCopyFace(CopyFace::Plain);
}

void PreviewWindow::buildStrip() {
    QLabel* strip = addPictureBox(this, "图片框1", {-7, 230, 274, 96}, kStripColour);
    name_ = addCaption(strip, "标签_name", {22, 19, 229, 43}, kStripColour, QStringLiteral("- Velomir -"));
    QLabel* pageIcon = addPictureBox(strip, "图片框2", {124, 65, 26, 27}, kStripColour);
    pageIcon->setPixmap(skinImage(kOpenPageIcon));
    onLeftRelease(pageIcon, [this] { openWebAddress(services_.opener, songPageAddress(state_.previewId)); });
    QLabel* speaker = addPictureBox(strip, "图片框_音量", {229, 59, 32, 32}, kSpeakerColour);
    speaker_ = std::make_unique<SpeakerAnimation>(speaker, "时钟_音量");
    setBackground(speaker, backgroundOf(strip));
}

void PreviewWindow::connectPlayer() {
    connect(player_, &WidgetPlayer::navigationStarting, this, [this] {
        speaker_->stop();
        footer_->setText(QString::fromUtf8(kFooterText));
        lyrics_->setPosition(0);
    });
    connect(player_, &WidgetPlayer::positionChanged, lyrics_, &LyricView::setPosition);
    connect(player_, &WidgetPlayer::navigationFailed, this,
            [this] { footer_->setText(QStringLiteral("该歌曲暂时无法播放")); });
    connect(player_, &WidgetPlayer::navigationCompleted, this, [this] {
        if (player_->currentAddress() != kBlankPage) speaker_->start();
    });
}

void PreviewWindow::resetCopyButton() {
    copyButton_->setToolTip(QStringLiteral("复制外链"));
    showCopyFace(CopyFace::Plain);
}

void PreviewWindow::showTitle(const std::string& title) {
    const QString text = QString::fromStdString(title);
    setWindowTitle(text);
    name_->setText(text);
}

void PreviewWindow::showCover(const std::string& bytes) {
    QPixmap picture;
    if (!bytes.empty()) picture.loadFromData(reinterpret_cast<const uchar*>(bytes.data()), bytes.size());
    cover_->setPixmap(picture);
}

void PreviewWindow::closeEvent(QCloseEvent* event) {
    // The audio address stays: only what names the shown item goes with the window.
    state_.previewId.clear();
    state_.previewTitle.clear();
    state_.previewCover.clear();
    event->accept();
}

void PreviewWindow::copyAudio() {
    const bool copied = !state_.previewAudio.empty() && copyText(services_.clipboard, state_.previewAudio);
    showCopyFace(copied ? CopyFace::Done : CopyFace::Failed);
}

void PreviewWindow::showCopyFace(CopyFace face) {
    static const char* const kFaces[] = {kCopyIcon, kCopyDoneIcon, kCopyFailedIcon};
    copyFace_ = face;
    copyButton_->setPixmap(skinImage(kFaces[static_cast<int>(face)]));
}

void PreviewWindow::tickCopyFace() {
    if (copyFace_ == CopyFace::Plain) {
        copyIconTicks_ = 0;
        return;
    }
    // The count restarts with the plain face: a copy right after a reset would otherwise never be counted out.
    if (++copyIconTicks_ >= kTicksShowingResult) {
        copyIconTicks_ = 0;
        showCopyFace(CopyFace::Plain);
    }
}

}  // namespace velomir
