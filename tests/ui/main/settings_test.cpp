// What the window reads from its settings file at start and writes there at close.
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>

#include "settings/ini_file.h"
#include "ui/companions/about_window.h"
#include "ui/main/click_label.h"
#include "ui/main/skin.h"
#include "ui_test_support.h"

namespace velomir::test {

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void firstStartWindow();
    void storedGeometryRestored();
    void closeSavesGeometry();
    void closeWhileARequestIsHeldSavesAndStopsTheWorker();
    void movingWritesOptionsOnly();
};

void SettingsTest::firstStartWindow() {
    WindowHarness harness(stubPort(), "");
    QCOMPARE(harness.control<QLineEdit>("编辑框_最大搜索数")->text(), QStringLiteral("100"));
    QCOMPARE(harness.control<ClickLabel>("图片框_封面开关")->picture(), skin::imageBytes(skin::kSwitchOn));
    QCOMPARE(harness.control<ClickLabel>("图片框_跳搜索开关")->picture(), skin::imageBytes(skin::kSwitchOn));
    QCOMPARE(harness.window().size(), QSize(805, 469));
    // Centred on the screen (the platform may nudge a new window by a pixel or two).
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const QPoint offset = harness.window().geometry().center() - screen.center();
    QVERIFY2(offset.manhattanLength() <= 4, qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));
    QVERIFY(harness.window().aboutWindow() != nullptr);
    QCOMPARE(IniFile(harness.settingsPath().toStdString()).read("song", "up"), std::string("1"));
    harness.window().aboutWindow()->close();

    // The same file again: no about window.
    const std::string stored = readFile(harness.settingsPath());
    WindowHarness second(stubPort(), stored);
    QVERIFY(second.window().aboutWindow() == nullptr);
}

void SettingsTest::storedGeometryRestored() {
    WindowHarness harness(stubPort(), "[song]\nup=1\npic=假\n[WIN]\nwz=2\nkd=900\ngd=500\nzb=10\ndb=20\n");
    QVERIFY(!harness.window().isMaximized() && !harness.window().isMinimized());
    QCOMPARE(harness.window().geometry(), QRect(10, 20, 900, 500));
    QVERIFY(!harness.window().options().showCovers);
    QCOMPARE(harness.control<ClickLabel>("图片框_封面开关")->picture(), skin::imageBytes(skin::kSwitchOff));

    // A maximised window leaves the stored geometry alone.
    WindowHarness maximised(stubPort(), "[song]\nup=1\n[WIN]\nwz=3\nkd=900\ngd=500\nzb=10\ndb=20\n");
    QVERIFY(maximised.window().windowState() & Qt::WindowMaximized);
    QCOMPARE(maximised.window().size(), QSize(805, 469));
}

void SettingsTest::closeSavesGeometry() {
    WindowHarness harness(stubPort());
    harness.showActive();
    harness.window().setGeometry(30, 40, 850, 480);
    QTRY_COMPARE_WITH_TIMEOUT(harness.window().size(), QSize(850, 480), kEventWaitMs);
    const std::string songKeys = IniFile(harness.settingsPath().toStdString()).read("song", "max");
    const int writes = harness.settingsWrites;
    harness.window().close();
    QVERIFY(harness.ended);
    QCOMPARE(harness.settingsWrites - writes, 1);
    const IniFile file(harness.settingsPath().toStdString());
    QCOMPARE(file.read("WIN", "wz"), std::string("0"));
    QCOMPARE(file.read("WIN", "kd"), std::string("850"));
    QCOMPARE(file.read("WIN", "gd"), std::string("480"));
    QCOMPARE(file.read("WIN", "zb"), std::to_string(harness.window().x()));
    QCOMPARE(file.read("WIN", "db"), std::to_string(harness.window().y()));
    QCOMPARE(file.read("song", "max"), songKeys);
}

// The stand-in holds the playlist's answer: closing still saves the geometry, ends the process's work and leaves
// no worker behind, and the list that never came is not shown.
void SettingsTest::closeWhileARequestIsHeldSavesAndStopsTheWorker() {
    StubService stub{StubOptions{}};
    const int port = stub.start();
    QVERIFY(port > 0);
    WindowHarness harness(port);
    harness.showActive();
    harness.window().setGeometry(35, 45, 840, 470);
    QTRY_COMPARE_WITH_TIMEOUT(harness.window().size(), QSize(840, 470), kEventWaitMs);
    QSignalSpy finished(&harness.window(), &MainWindow::analysisFinished);
    auto* box = harness.control<QLineEdit>("编辑框_链接id");
    box->setText(QStringLiteral("http://music.163.com/#/playlist?id=9000002"));  // answered never
    QTest::keyClick(box, Qt::Key_Return);
    stub.waitForRequests(1);
    QVERIFY(harness.work.running() > 0);
    harness.window().close();
    QVERIFY(harness.ended);
    QCOMPARE(harness.work.running(), 0);
    const IniFile file(harness.settingsPath().toStdString());
    QCOMPARE(file.read("WIN", "kd"), std::string("840"));
    QCOMPARE(file.read("WIN", "gd"), std::string("470"));
    QCoreApplication::processEvents();
    QCOMPARE(finished.count(), 0);
    QVERIFY(harness.window().runState().resultRows.empty());
    stub.stop();
}

void SettingsTest::movingWritesOptionsOnly() {
    WindowHarness harness(stubPort(), "[song]\nup=1\nmax=77\n");
    harness.showActive();
    writeFile(harness.settingsPath(), "[song]\nup=1\n");
    harness.window().move(harness.window().pos() + QPoint(15, 10));
    QTRY_VERIFY_WITH_TIMEOUT(readFile(harness.settingsPath()).find("max=77") != std::string::npos, kEventWaitMs);
    const std::string text = readFile(harness.settingsPath());
    QVERIFY(text.find("pic=真") != std::string::npos);
    QVERIFY(text.find("[WIN]") == std::string::npos);
}

int runSettingsTests(int argc, char** argv) {
    SettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace velomir::test

#include "settings_test.moc"
