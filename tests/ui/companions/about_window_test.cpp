// The about window: its fixed song and speaker, the home page, and the sample playlist.
#include "ui/companions/about_window.h"

#include <QFile>
#include <QLabel>
#include <QPointer>
#include <QUrl>
#include <QtTest>

#include "analysis/item_extraction.h"
#include "analysis/link_kind.h"
#include "analysis/link_recognition.h"
#include "companion_test_support.h"
#include "ui/companions/companion_widgets.h"

namespace velomir::testing {

class AboutWindowTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StubFixture> stub_;
    std::shared_ptr<MediaLog> media_;
    std::unique_ptr<QWidget> owner_;
    std::vector<std::string> analysed_;
    std::function<void()> duringAnalysis_;

    AboutWindow* open() {
        auto* window = new AboutWindow(
            stub_->services, fakeBackends(media_),
            [this](const std::string& link) {
                analysed_.push_back(link);
                if (duringAnalysis_) duringAnalysis_();
            },
            owner_.get());
        window->show();
        return window;
    }
    static QLabel* control(QWidget* window, const char* name) {
        return window->findChild<QLabel*>(QString::fromUtf8(name));
    }

private slots:
    void init() {
        stub_ = std::make_unique<StubFixture>();
        media_ = std::make_shared<MediaLog>();
        owner_ = std::make_unique<QWidget>();
        analysed_.clear();
        duringAnalysis_ = nullptr;
    }
    void cleanup() {
        owner_.reset();
        stub_.reset();
    }

    void playsTheFixedSongUntilClosed() {
        AboutWindow* window = open();
        QCOMPARE(window->windowTitle(), QString("About-Velomir"));
        QCOMPARE(control(window, "标签1")->parentWidget()->objectName(), QString("图片框1"));
        QCOMPARE(control(window, "标签1")->text(), QString("- Quillon -"));
        QCOMPARE(control(window, "图片框_专辑封面")->pixmap().size(), QSize(640, 640));
        QLabel* speaker = control(window, "图片框_音量");
        QCOMPARE(companion::backgroundOf(speaker), companion::kStripColour);
        QTimer* clock = speaker->findChild<QTimer*>("时钟1");
        QVERIFY(!clock->isActive());
        QTRY_COMPARE_WITH_TIMEOUT(media_->played, std::vector<std::string>{stub_->base() + "/audio/26291188.mp3"},
                                  kEventWaitMs);
        QCOMPARE(clock->interval(), 50);
        tick(clock);
        QCOMPARE(speaker->pixmap().toImage(), companion::skinImage(companion::kSpeakerFrames[0]).toImage());
        const int stops = media_->stops;
        QPointer<AboutWindow> closing(window);
        window->close();  // the song ends with the window
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(closing.isNull() && media_->stops > stops);
    }

    // The picture opens the playlist's page and hands the pasteable link on, which the analysis recognises and
    // lists; the icon opens the home page.
    void clicksOpenPagesAndAnalyseThePlaylist() {
        AboutWindow* window = open();
        QTest::mouseClick(control(window, "图片框_专辑封面"), Qt::LeftButton);
        QTest::mouseClick(control(window, "图片框2"), Qt::LeftButton);
        const std::vector<std::string> opened{"http://music.163.com/playlist?id=2330887406", projectHomePage()};
        QCOMPARE(stub_->opener.opened, opened);
        QTRY_COMPARE_WITH_TIMEOUT(analysed_, std::vector<std::string>{"http://music.163.com/#/playlist?id=2330887406"},
                                  kEventWaitMs);
        QCOMPARE(recogniseKind(analysed_[0], false, AnalysisOptions{}, stub_->http), LinkKind::Playlist);
        std::string id = extractId(analysed_[0]);
        std::vector<TrackItem> tracks;
        std::vector<ProgrammeItem> programmes;
        QVERIFY(fetchItems(id, LinkKind::Playlist, tracks, programmes, stub_->http, 100).ok());
        QCOMPARE(tracks.size(), std::size_t{25});
        // The home page is our own: a web address, or the README installed beside the program, never a path of the
        // machine that built it.
        const QUrl home(QString::fromStdString(projectHomePage()));
        QVERIFY2(!home.isLocalFile() || home.toLocalFile().endsWith(QStringLiteral("share/doc/velomir/README.md")),
                 qPrintable(home.toString()));
        QVERIFY(!home.toString().contains(QStringLiteral("src/ui")));
    }

    // The run pumps events, so the window may be closed and deleted before it ends.
    void closedWhileThePlaylistIsAnalysed() {
        QPointer<AboutWindow> window = open();
        duringAnalysis_ = [&] {
            window->close();
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        };
        QTest::mouseClick(control(window, "图片框_专辑封面"), Qt::LeftButton);
        QTRY_VERIFY_WITH_TIMEOUT(window.isNull(), kEventWaitMs);
        QCOMPARE(analysed_.size(), std::size_t(1));
    }
};

namespace {
const RegisterTest<AboutWindowTest> registered;
}

}  // namespace velomir::testing

#include "about_window_test.moc"
