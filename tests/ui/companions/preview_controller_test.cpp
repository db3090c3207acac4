// The preview window driven as the main window drives it: rows of a run, row changes, clicks and timer ticks.
#include "ui/companions/preview_controller.h"

#include <QBuffer>
#include <QLabel>
#include <QPointer>
#include <QtTest>
#include <algorithm>

#include "analysis/analysis_driver.h"
#include "analysis/fake_transport.h"
#include "companion_test_support.h"
#include "ui/companions/companion_widgets.h"
#include "ui/desktop/lyric_cache.h"

namespace velomir::testing {

namespace {

ResultRow songRow(const std::string& base, const std::string& id, const std::string& name, const std::string& artists,
                  const std::string& cover) {
    ResultRow row;
    row.trackId = id;
    row.trackName = name;
    row.artistNames = artists;
    row.audioAddress = base + "/audio/" + id + ".mp3";
    row.trackCover = base + "/cover/" + cover + ".jpg";
    return row;
}

RunState twoSongs(const std::string& base) {
    RunState state;
    state.resultRows = {songRow(base, "26291188", "The Show", "Lenka", "6636652185979562"),
                        songRow(base, "36990266", "Faded", "Alan Walker", "3284241395357339")};
    state.currentRow = 1;
    return state;
}

std::string pngBytes(QSize size) {
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::red);
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes.toStdString();
}

bool shows(const QLabel* box, const char* image) {
    return box->pixmap().toImage() == companion::skinImage(image).toImage();
}

}  // namespace

class PreviewControllerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StubFixture> stub_;
    std::shared_ptr<MediaLog> media_;
    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<UiServices> services_;
    std::unique_ptr<LyricCache> lyrics_;
    std::unique_ptr<PreviewController> preview_;

    QLabel* control(const char* name) { return preview_->window()->findChild<QLabel*>(QString::fromUtf8(name)); }
    QTimer* timer(const char* name) { return preview_->window()->findChild<QTimer*>(QString::fromUtf8(name)); }
    void useTransport(HttpTransport& http) {
        preview_.reset();
        services_ = std::make_unique<UiServices>(UiServices{http, stub_->work, stub_->clipboard, stub_->opener});
        lyrics_ = std::make_unique<LyricCache>(http, stub_->work);
        preview_ = std::make_unique<PreviewController>(*services_, *lyrics_, fakeBackends(media_), owner_.get());
    }

private slots:
    void init() {
        stub_ = std::make_unique<StubFixture>();
        media_ = std::make_shared<MediaLog>();
        owner_ = std::make_unique<QWidget>();
        useTransport(stub_->http);
    }
    void cleanup() {
        preview_.reset();
        owner_.reset();
        stub_.reset();
    }

    void showingARowFillsTheWindow() {
        const RunState state = twoSongs(stub_->base());
        preview_->showPreview(state);
        QVERIFY(preview_->isPreviewOpen());
        QCOMPARE(preview_->window()->windowTitle(), QString("The Show\r\n-\r\nLenka"));
        QCOMPARE(control("标签_name")->text(), QString("The Show\r\n-\r\nLenka"));
        QCOMPARE(control("标签_name")->textFormat(), Qt::PlainText);
        QVERIFY(stub_->waitForWork());
        const auto& asked = stub_->http.requests;
        QVERIFY(std::count(asked.begin(), asked.end(), state.resultRows[0].trackCover + "?param=173y173") == 1);
        QCOMPARE(control("图片框_专辑封面")->pixmap().size(), QSize(173, 173));
        QTRY_COMPARE_WITH_TIMEOUT(media_->played, std::vector<std::string>{state.resultRows[0].audioAddress},
                                  kEventWaitMs);
    }

    void rowChangeWhileOpenRefreshesTheSameWindow() {
        RunState state = twoSongs(stub_->base());
        for (int outside : {0, 3}) {
            state.currentRow = outside;
            preview_->showPreview(state);
            QVERIFY(!preview_->isPreviewOpen());
        }
        state.currentRow = 1;
        preview_->showPreview(state);
        QPointer<PreviewWindow> first = preview_->window();
        state.currentRow = 2;
        preview_->showPreview(state);
        QCOMPARE(preview_->window(), first.data());
        QCOMPARE(owner_->findChildren<PreviewWindow*>().size(), qsizetype(1));
        QCOMPARE(first->windowTitle(), QString("Faded\r\n-\r\nAlan Walker"));
        QTRY_VERIFY_WITH_TIMEOUT(!media_->played.empty() && media_->played.back() == state.resultRows[1].audioAddress,
                                 kEventWaitMs);
        state.currentRow = 3;
        preview_->showPreview(state);
        QCOMPARE(first->windowTitle(), QString("Faded\r\n-\r\nAlan Walker"));
    }

    void closingEndsThePreview() {
        RunState state = twoSongs(stub_->base());
        preview_->showPreview(state);
        QPointer<PreviewWindow> window = preview_->window();
        QTRY_COMPARE_WITH_TIMEOUT(media_->played.size(), std::size_t(1), kEventWaitMs);
        const int stops = media_->stops;
        window->close();
        QVERIFY(!preview_->isPreviewOpen());
        const PreviewState& kept = preview_->state();
        QVERIFY(kept.previewId.empty() && kept.previewTitle.empty() && kept.previewCover.empty());
        QCOMPARE(kept.previewAudio, state.resultRows[0].audioAddress);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(window.isNull());
        QVERIFY(media_->stops > stops);
        preview_->showPreview(state);
        QVERIFY(preview_->isPreviewOpen());
    }

    void speakerAnimatesWhileTheWidgetIsLoaded() {
        media_->startsAtOnce = false;
        RunState state = twoSongs(stub_->base());
        preview_->showPreview(state);
        QLabel* speaker = control("图片框_音量");
        QTimer* clock = timer("时钟_音量");
        QTRY_VERIFY_WITH_TIMEOUT(media_->held != nullptr, kEventWaitMs);
        QVERIFY(!clock->isActive());  // resolved, but playback not yet under way
        QVERIFY(shows(speaker, companion::kSpeakerFrames[2]));
        std::exchange(media_->held, nullptr)();
        QCOMPARE(clock->interval(), 50);
        for (int frame : {0, 1, 2, 0}) {
            tick(clock);
            QVERIFY(shows(speaker, companion::kSpeakerFrames[frame]));
        }
        state.currentRow = 2;
        preview_->showPreview(state);
        QVERIFY(!clock->isActive());
        QVERIFY(shows(speaker, companion::kSpeakerFrames[2]));
    }

    void copyShowsItsResultForTwoTicks_data() {
        QTest::addColumn<QString>("audio");
        QTest::addColumn<QString>("trackId");
        QTest::addColumn<bool>("refused");
        QTest::addColumn<QString>("icon");
        QTest::addColumn<QString>("clipboard");
        const QString outer = "http://music.163.com/song/media/outer/url?id=26291188.mp3";
        QTest::newRow("copied") << "http://m/1.mp3"
                                << "26291188" << false << companion::kCopyDoneIcon << "http://m/1.mp3";
        QTest::newRow("withheld: outer address") << ""
                                                 << "26291188" << false << companion::kCopyDoneIcon << outer;
        QTest::newRow("placeholder: outer address") << "http://m/0.mp3"
                                                    << "26291188" << false << companion::kCopyDoneIcon << outer;
        QTest::newRow("no address, no song ID") << ""
                                                << "" << false << companion::kCopyFailedIcon << "before";
        QTest::newRow("refused") << "http://m/1.mp3"
                                 << "26291188" << true << companion::kCopyFailedIcon << "before";
    }
    void copyShowsItsResultForTwoTicks() {
        QFETCH(QString, audio);
        QFETCH(QString, trackId);
        QFETCH(bool, refused);
        QFETCH(QString, icon);
        QFETCH(QString, clipboard);
        RunState state = twoSongs(stub_->base());
        state.resultRows[0].audioAddress = audio.toStdString();
        state.resultRows[0].trackId = trackId.toStdString();
        stub_->clipboard.refuses = refused;
        preview_->showPreview(state);
        QLabel* button = control("图片框_复制外链");
        QTest::mouseClick(button, Qt::LeftButton);
        QCOMPARE(QString::fromStdString(stub_->clipboard.text()), clipboard);
        QCOMPARE(timer("时钟1")->interval(), 1000);
        for (bool plainAgain : {false, false, true}) {
            QVERIFY(shows(button, plainAgain ? companion::kCopyIcon : icon.toLatin1().constData()));
            tick(timer("时钟1"));
        }
    }

    // A copy made right after the icon came back must be counted out too, not left showing for good.
    void copyRightAfterAResetIsCountedOut() {
        preview_->showPreview(twoSongs(stub_->base()));
        for (int copy = 0; copy < 3; ++copy) {
            QTest::mouseClick(control("图片框_复制外链"), Qt::LeftButton);
            tick(timer("时钟1"));
            tick(timer("时钟1"));
            QVERIFY(shows(control("图片框_复制外链"), companion::kCopyIcon));
        }
    }

    void pageAndCoverOpenOnlyWebAddresses() {
        RunState state = twoSongs(stub_->base());
        state.resultRows[1].trackCover = "file:///etc/passwd";
        preview_->showPreview(state);
        QTest::mouseClick(control("图片框2"), Qt::LeftButton);
        QTest::mouseClick(control("图片框_专辑封面"), Qt::LeftButton);
        const std::vector<std::string> opened{"http://music.163.com/#/song?id=26291188",
                                              state.resultRows[0].trackCover};
        QCOMPARE(stub_->opener.opened, opened);
        state.currentRow = 2;
        preview_->showPreview(state);
        QTest::mouseClick(control("图片框_专辑封面"), Qt::LeftButton);
        QCOMPARE(stub_->opener.opened, opened);
        for (const std::string& request : stub_->http.requests) QVERIFY(!request.starts_with("file:"));
        QVERIFY(control("图片框_专辑封面")->pixmap().isNull());
    }

    // A row change while the older row's cover is on its way: the older answer never replaces the newer cover.
    void newerRowsCoverWins() {
        FakeTransport fake;
        fake.answer("old.png", pngBytes(QSize(10, 10)));
        fake.answer("new.png", pngBytes(QSize(20, 20)));
        ProbeTransport http(fake);
        useTransport(http);
        RunState state = twoSongs("http://p");
        state.resultRows[0].trackCover = "http://p/old.png";
        state.resultRows[1].trackCover = "http://p/new.png";
        http.beforeAnswer = [&](const std::string& address) {
            if (address.find("old.png") == std::string::npos) return;
            RunState changed = state;
            changed.currentRow = 2;
            preview_->showPreview(changed);
        };
        preview_->showPreview(state);
        QVERIFY(stub_->waitForWork());
        QCOMPARE(http.countRequests(".png"), 2);
        QCOMPARE(control("图片框_专辑封面")->pixmap().size(), QSize(20, 20));
    }

    // An address that gives no audio (the service's 404 page for a song it will not play) is said in the window,
    // and the next song that plays clears it.
    void unplayableSongIsSaid() {
        RunState state = twoSongs(stub_->base());
        media_->unplayable = {state.resultRows[0].audioAddress};
        preview_->showPreview(state);
        QVERIFY(stub_->waitForWork());
        QTRY_COMPARE_WITH_TIMEOUT(control("标签_name1")->text(), QStringLiteral("该歌曲暂时无法播放"), kEventWaitMs);
        QVERIFY(preview_->isPreviewOpen());
        state.currentRow = 2;
        preview_->showPreview(state);
        QCOMPARE(control("标签_name1")->text(), QStringLiteral("- 试听窗口 -"));
        QVERIFY(stub_->waitForWork());
        QTRY_COMPARE_WITH_TIMEOUT(media_->played.back(), state.resultRows[1].audioAddress, kEventWaitMs);
        QCOMPARE(control("标签_name1")->text(), QStringLiteral("- 试听窗口 -"));
    }

    void closedWhileTheCoverIsOnItsWay() {
        stub_->http.whileWaiting = [&] { preview_->window()->close(); };
        preview_->showPreview(twoSongs(stub_->base()));
        QVERIFY(stub_->waitForWork());
        QVERIFY(!preview_->isPreviewOpen());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(owner_->findChildren<PreviewWindow*>().isEmpty());
    }
};

namespace {
const RegisterTest<PreviewControllerTest> registered;
}

}  // namespace velomir::testing

#include "preview_controller_test.moc"
