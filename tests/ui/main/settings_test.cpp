// The settings file: our INI reader and writer, the option values it stores, where it lives, and what the window
// reads at start and writes at close.
#include <unistd.h>

#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QScreen>
#include <QSignalSpy>
#include <filesystem>

#include "ui/companions/about_window.h"
#include "ui/main/click_label.h"
#include "ui/main/ini_file.h"
#include "ui/main/settings_store.h"
#include "ui/main/skin.h"
#include "ui_test_support.h"

namespace velomir::test {

class SettingsTest : public QObject {
    Q_OBJECT

private slots:
    void iniReads();
    void iniWriteKeepsEveryOtherLine();
    void iniWriteReplacesTheFileWhole();
    void iniWriteTwiceChangesNothing();
    void iniWriteFailureLeavesNothingBehind();
    void optionValues();
    void settingsLocation();
    void firstStartWindow();
    void storedGeometryRestored();
    void closeSavesGeometry();
    void closeWhileARequestIsHeldSavesAndStopsTheWorker();
    void movingWritesOptionsOnly();
    void eachSaveIsOneWrite();

private:
    QString fileWith(const std::string& text);

    QTemporaryDir folder_;
    int files_ = 0;
};

QString SettingsTest::fileWith(const std::string& text) {
    const QString path = folder_.filePath(QStringLiteral("s%1.ini").arg(++files_));
    writeFile(path, text);
    return path;
}

// How the Windows profile service reads a key: names without regard to case, blanks and quotes trimmed.
void SettingsTest::iniReads() {
    struct Case {
        const char* text;
        const char* key;
        const char* expected;
    };
    const Case cases[] = {
        {"[song]\nmax=30\n", "max", "30"},
        {"[SONG]\nMax=30\n", "mAX", "30"},
        {"  [ song ]  \r\n  max =  30 \t\r\n", "max", "30"},
        {"[song]\nmax=\" 30 \"\n", "max", " 30 "},
        {"[WIN]\nmax=30\n[song]\nup=1\n", "max", "<none>"},
        {"[song]\nmax=1\n[song]\nmax=2\n", "max", "1"},
        {"[song]\n;max=1\n", "max", "<none>"},
        {"[song]\nmax=a=b\n", "max", "a=b"},
        {"\xEF\xBB\xBF[song]\nmax=7\n", "max", "7"},
        {"[song]\npic=\xD5\xE6\n", "pic", "\xD5\xE6"},
        {"[song]\r\r\nmax=5\r\r\n", "max", "5"},  // a twice-converted file's CR CR LF
    };
    for (const Case& c : cases) {
        const IniFile file(fileWith(c.text).toStdString());
        QVERIFY2(file.read("song", c.key, "<none>") == c.expected, c.text);
    }
    QCOMPARE(IniFile(folder_.filePath("missing.ini").toStdString()).read("song", "max", "100"), std::string("100"));
}

void SettingsTest::iniWriteKeepsEveryOtherLine() {
    const QString path = fileWith("; kept\r\n[song]\r\nmax=5\r\n\r\n[WIN]\r\nkd=800\r\n");
    IniFile file(path.toStdString());
    QVERIFY(file.write("SONG", "MAX", "6"));
    QVERIFY(file.write("song", "pic", "真"));
    QVERIFY(file.write("extra", "a", "1"));
    QCOMPARE(readFile(path), std::string("; kept\r\n[song]\r\nMAX=6\r\npic=真\r\n\r\n[WIN]\r\nkd=800\r\n"
                                         "[extra]\r\na=1\r\n"));
    const QString created = folder_.filePath("new/sub/velomir.ini");
    QVERIFY(IniFile(created.toStdString()).write("song", "up", "1"));
    QCOMPARE(readFile(created), std::string("[song]\nup=1\n"));
}

// A second name of the old file still holds all of the old text: the file was replaced, never rewritten in place.
void SettingsTest::iniWriteReplacesTheFileWhole() {
    const QString path = fileWith("[song]\nmax=5\n");
    const QString oldName = path + ".old";
    QVERIFY(::link(QFile::encodeName(path).constData(), QFile::encodeName(oldName).constData()) == 0);
    QVERIFY(IniFile(path.toStdString()).write("song", "max", "123456"));
    QCOMPARE(readFile(oldName), std::string("[song]\nmax=5\n"));
    QCOMPARE(readFile(path), std::string("[song]\nmax=123456\n"));
    QCOMPARE(QDir(folder_.path()).entryList({"*.tmp*"}, QDir::Files | QDir::Hidden).size(), 0);
}

// Carriage returns ending the last line belong to no line: kept, the write would make one of them a CR LF and the
// next write would switch every line end.
void SettingsTest::iniWriteTwiceChangesNothing() {
    const QString path = fileWith("[WIN]\nkd=800\n; last\r\r");
    IniFile file(path.toStdString());
    QVERIFY(file.write("song", "max", "6"));
    const std::string once = readFile(path);
    QCOMPARE(once, std::string("[WIN]\nkd=800\n; last\n[song]\nmax=6\n"));
    QVERIFY(file.write("song", "max", "6"));
    QCOMPARE(readFile(path), once);
}

void SettingsTest::iniWriteFailureLeavesNothingBehind() {
    QTemporaryDir scratch;
    const QString path = scratch.filePath("velomir.ini");
    QVERIFY(QDir().mkpath(path));  // a folder where the file should be: the replacement cannot happen
    QVERIFY(!IniFile(path.toStdString()).write("song", "max", "1"));
    QCOMPARE(QDir(scratch.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
             QStringList{"velomir.ini"});
    QVERIFY(QFileInfo(path).isDir());
}

void SettingsTest::optionValues() {
    struct Case {
        const char* text;
        int max;
        bool covers;
        bool search;
    };
    const Case cases[] = {
        {"", 100, true, true},
        {"[song]\nmax=250\npic=真\nsou=假\n", 250, true, false},
        {"[song]\nmax=0\n", 1, true, true},
        {"[song]\nmax=abc\n", 1, true, true},
        {"[song]\nmax=-5\n", 1, true, true},
        {"[song]\nmax=  42abc\n", 42, true, true},
        {"[song]\npic=false\nsou=true\n", 100, false, false},
        {"[song]\npic=\xD5\xE6\nsou=\xBC\xD9\n", 100, true, false},  // GBK 真 and 假
    };
    for (const Case& c : cases) {
        const AnalysisOptions options = SettingsStore(fileWith(c.text).toStdString()).loadOptions();
        QVERIFY2(options.maxCount == c.max && options.showCovers == c.covers && options.jumpToSearch == c.search,
                 c.text);
    }
}

void SettingsTest::settingsLocation() {
    const auto writable = [](const std::string&) { return true; };
    const auto readOnly = [](const std::string&) { return false; };
    QCOMPARE(settingsPathFor("/opt/velomir", "/x", "/home/u", writable), std::string("/opt/velomir/velomir.ini"));
    QCOMPARE(settingsPathFor("/opt/velomir", "/x", "/home/u", readOnly), std::string("/x/velomir/velomir.ini"));
    QCOMPARE(settingsPathFor("/opt/velomir", "", "/home/u", readOnly),
             std::string("/home/u/.config/velomir/velomir.ini"));
    QCOMPARE(settingsPathFor("/opt/velomir", "relative", "/home/u", readOnly),
             std::string("/home/u/.config/velomir/velomir.ini"));
    // The real probe: a folder that does not exist, or is a file, cannot take the settings.
    const std::string missing = folder_.filePath("no-such-folder").toStdString();
    QCOMPARE(settingsPathFor(missing, "/x", "/home/u"), std::string("/x/velomir/velomir.ini"));
    const std::string file = fileWith("x").toStdString();
    QVERIFY(!isWritableFolder(file));
    QVERIFY(isWritableFolder(folder_.path().toStdString()));
    QCOMPARE(settingsPathFor(folder_.path().toStdString(), "/x", "/home/u"),
             folder_.path().toStdString() + "/velomir.ini");
}

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

// Every save reads the file once and replaces it once, whatever the number of keys; other lines are kept.
void SettingsTest::eachSaveIsOneWrite() {
    const QString path = fileWith("; mine\n[other]\nx=1\n");
    int writes = 0;
    SettingsStore store(path.toStdString(), [&writes](const std::string& file, const std::string& text) {
        ++writes;
        return replaceFileAtomically(file, text);
    });
    store.saveOptions({42, false, true});
    QCOMPARE(writes, 1);
    store.saveWindow({0, 800, 500, 10, 20});
    QCOMPARE(writes, 2);
    QCOMPARE(readFile(path),
             std::string("; mine\n[other]\nx=1\n[song]\nmax=42\npic=假\nsou=真\n[WIN]\nwz=0\nkd=800\ngd=500\nzb=10\n"
                         "db=20\n"));
    QCOMPARE(store.loadOptions().maxCount, 42);
}

int runSettingsTests(int argc, char** argv) {
    SettingsTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace velomir::test

#include "settings_test.moc"
