#include "ui/companions/about_window.h"

#include <QCoreApplication>
#include <QDir>
#include <QLabel>
#include <QTimer>
#include <QUrl>
#include <string_view>

#include "analysis/link_kind.h"
#include "analysis/service_addresses.h"
#include "ui/companions/companion_widgets.h"
#include "ui/desktop/desktop_services.h"

namespace velomir {

using namespace companion;

namespace {

constexpr QSize kBaseSize{254, 398};
constexpr QPoint kHomePosition{50, 50};

}  // namespace

std::string projectHomePage() {
    constexpr std::string_view configured = VELOMIR_HOME_PAGE;
    if (!configured.empty()) return std::string(configured);
    // Relative to the program, so that the page is found wherever a package or DESTDIR put the files.
    const QDir programFolder(QCoreApplication::applicationDirPath());
    const QString readme = QDir::cleanPath(programFolder.filePath(QStringLiteral(VELOMIR_DOC_FROM_BIN "/README.md")));
    return QUrl::fromLocalFile(readme).toString().toStdString();
}

AboutWindow::AboutWindow(UiServices& services, MediaBackendFactory makeBackend,
                         std::function<void(const std::string& link)> analyseLink, QWidget* owner)
    : QWidget(owner, Qt::Window),
      services_(services),
      analyseLink_(std::move(analyseLink)),
      player_(new WidgetPlayer(services.http, services.work, makeBackend(), this)) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(clientSize(kBaseSize));
    move(kHomePosition);
    setBackground(this, kWindowColour);
    setWindowTitle(QStringLiteral("About-Velomir"));
    player_->setObjectName(QStringLiteral("超文本浏览框1"));
    buildDisc();
    buildStrip();
    // Unlike the preview, any completed navigation starts the speaker, and nothing stops it.
    connect(player_, &WidgetPlayer::navigationCompleted, this, [this] { speaker_->start(); });
    player_->navigate(buildWidgetAddress(kAboutSongId, kSongWidget));
}

void AboutWindow::buildDisc() {
    QLabel* disc = addPictureBox(this, "图片框_黑碟底", {16, 18, 216, 184}, kWindowColour);
    disc->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    disc->setPixmap(skinImage(kSleeve));
    QLabel* picture = addPictureBox(disc, "图片框_专辑封面", {4, 4, 173, 173}, kCoverColour);
    picture->setScaledContents(true);
    picture->setPixmap(skinImage(kAboutPicture));
    onLeftRelease(picture, [this] { openSamplePlaylist(); });
}

void AboutWindow::buildStrip() {
    QLabel* strip = addPictureBox(this, "图片框1", {-1, 217, 257, 103}, kStripColour);
    addCaption(strip, "标签1", {66, 37, 125, 24}, kStripColour, QStringLiteral("- Quillon -"));
    QLabel* homeIcon = addPictureBox(strip, "图片框2", {115, 62, 26, 27}, kStripColour);
    homeIcon->setPixmap(skinImage(kOpenPageIcon));
    // Our own page, which may be a local file: it does not go through the web-address check.
    onLeftRelease(homeIcon, [this] { services_.opener.openAddress(projectHomePage()); });
    QLabel* speaker = addPictureBox(this, "图片框_音量", {212, 284, 32, 32}, kSpeakerColour);
    speaker_ = std::make_unique<SpeakerAnimation>(speaker, "时钟1");
    setBackground(speaker, backgroundOf(strip));
}

void AboutWindow::openSamplePlaylist() {
    openWebAddress(services_.opener, playlistPageAddress(kSamplePlaylistId));
    if (!analyseLink_) return;
    // Started from the event loop after the click, on the main window: this window may be closed before then.
    QObject* context = parentWidget() ? static_cast<QObject*>(parentWidget()) : QCoreApplication::instance();
    QTimer::singleShot(0, context, [analyse = analyseLink_] { analyse(playlistLinkAddress(kSamplePlaylistId)); });
}

}  // namespace velomir
