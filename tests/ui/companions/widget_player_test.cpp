// The player standing in for the widget view: resolution through the stand-in service, the two notifications,
// and navigations that overtake each other while the service is asked.
#include <QSignalSpy>
#include <QtTest>

#include "analysis/fake_transport.h"
#include "analysis/service_addresses.h"
#include "companion_test_support.h"

namespace velomir::testing {

class WidgetPlayerTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StubFixture> stub_;
    std::shared_ptr<MediaLog> media_;

    std::unique_ptr<WidgetPlayer> makePlayer(HttpTransport& http) {
        return std::make_unique<WidgetPlayer>(http, stub_->work, fakeBackends(media_)());
    }
    std::string audio(const char* id) const { return stub_->base() + "/audio/" + id + ".mp3"; }

private slots:
    void init() {
        stub_ = std::make_unique<StubFixture>();
        media_ = std::make_shared<MediaLog>();
    }
    void cleanup() { stub_.reset(); }

    void widgetPlaysTheItemAndBlankStopsIt_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("type");
        QTest::addColumn<QString>("audioId");
        QTest::newRow("song details") << "26291188"
                                      << "2"
                                      << "26291188";
        QTest::newRow("programme details") << "794062371"
                                           << "3"
                                           << "1365285604";
    }
    void widgetPlaysTheItemAndBlankStopsIt() {
        QFETCH(QString, id);
        QFETCH(QString, type);
        QFETCH(QString, audioId);
        auto player = makePlayer(stub_->http);
        QSignalSpy starting(player.get(), &WidgetPlayer::navigationStarting);
        QSignalSpy completed(player.get(), &WidgetPlayer::navigationCompleted);
        const std::string address = buildWidgetAddress(id.toStdString(), type.toStdString());
        player->navigate(address);
        QCOMPARE(starting.count(), 1);
        QVERIFY(completed.wait(kEventWaitMs));
        QCOMPARE(completed.takeFirst().first().toString().toStdString(), address);
        QCOMPARE(player->currentAddress(), address);
        QCOMPARE(media_->played, std::vector<std::string>{audio(audioId.toLatin1().constData())});
        const int stops = media_->stops;
        player->navigate(kBlankPage);
        QCOMPARE(media_->stops, stops + 1);  // at once, before the blank page has loaded
        QVERIFY(completed.wait(kEventWaitMs));
        QCOMPARE(player->currentAddress(), std::string(kBlankPage));
    }

    // Song detail withholds the address (null, or the /0.mp3 placeholder): the outer address plays, the player
    // following its redirect; where song detail gives one, that one plays.
    void withheldAddressesPlayThroughTheOuterAddress_data() {
        QTest::addColumn<QString>("id");
        QTest::addColumn<QString>("played");
        QTest::newRow("null") << "6000000001"
                              << "http://music.163.com/song/media/outer/url?id=6000000001.mp3";
        QTest::newRow("placeholder") << "6000000005"
                                     << "http://music.163.com/song/media/outer/url?id=6000000005.mp3";
        QTest::newRow("given") << "6000000010"
                               << "";
    }
    void withheldAddressesPlayThroughTheOuterAddress() {
        QFETCH(QString, id);
        QFETCH(QString, played);
        auto player = makePlayer(stub_->http);
        QSignalSpy completed(player.get(), &WidgetPlayer::navigationCompleted);
        player->navigate(buildWidgetAddress(id.toStdString(), "2"));
        QVERIFY(completed.wait(kEventWaitMs));
        const std::string expected = played.isEmpty() ? audio(id.toLatin1().constData()) : played.toStdString();
        QCOMPARE(media_->played, std::vector<std::string>{expected});
    }

    void unresolvableAddressesNeverComplete_data() {
        QTest::addColumn<QString>("address");
        QTest::newRow("unknown song") << QString::fromStdString(buildWidgetAddress("999", "2"));
        QTest::newRow("song asked as programme") << QString::fromStdString(buildWidgetAddress("26291188", "3"));
        QTest::newRow("unknown type") << QString::fromStdString(buildWidgetAddress("26291188", "7"));
        QTest::newRow("no widget") << "http://music.163.com/#/song?id=26291188";
    }
    void unresolvableAddressesNeverComplete() {
        QFETCH(QString, address);
        auto player = makePlayer(stub_->http);
        QSignalSpy completed(player.get(), &WidgetPlayer::navigationCompleted);
        player->navigate(address.toStdString());
        QTRY_COMPARE_WITH_TIMEOUT(stub_->http.finished, static_cast<int>(stub_->http.requests.size()), kEventWaitMs);
        QCoreApplication::processEvents();
        QCOMPARE(completed.count(), 0);
        QVERIFY(media_->played.empty());
    }

    void navigationWhileResolvingWins() {
        auto player = makePlayer(stub_->http);
        QSignalSpy completed(player.get(), &WidgetPlayer::navigationCompleted);
        const std::string newer = buildWidgetAddress("794062371", "3");
        stub_->http.whileWaiting = [&] { player->navigate(newer); };
        player->navigate(buildWidgetAddress("26291188", "2"));
        QVERIFY(completed.wait(kEventWaitMs));
        QTRY_COMPARE_WITH_TIMEOUT(stub_->http.finished, 2, kEventWaitMs);
        QCoreApplication::processEvents();
        QCOMPARE(completed.count(), 1);
        QCOMPARE(player->currentAddress(), newer);
        QCOMPARE(media_->played, std::vector<std::string>{audio("1365285604")});
    }

    // The window holding the player may be closed, and the player destroyed, while it resolves.
    void destroyedWhileResolving() {
        auto player = makePlayer(stub_->http);
        stub_->http.whileWaiting = [&] { player.reset(); };
        player->navigate(buildWidgetAddress("26291188", "2"));
        QTRY_COMPARE_WITH_TIMEOUT(stub_->http.finished, 1, kEventWaitMs);
        QVERIFY(!player);
        QVERIFY(media_->played.empty());
    }

    void onlyWebAudioIsPlayed() {
        FakeTransport http;
        // (No raw string here: moc mistakes its quotes.)
        http.answer("song/detail", "{\"songs\":[{\"mp3Url\":\"file:///etc/passwd\",\"id\":5}],\"code\":200}");
        auto player = makePlayer(http);
        player->navigate(buildWidgetAddress("5", "2"));
        QTRY_COMPARE_WITH_TIMEOUT(http.requests.size(), std::size_t(1), kEventWaitMs);
        // The worker still uses the fake until its answer has been handed back.
        QVERIFY(stub_->waitForWork());
        QVERIFY(media_->played.empty());
    }
};

namespace {
const RegisterTest<WidgetPlayerTest> registered;
}

}  // namespace velomir::testing

#include "widget_player_test.moc"
