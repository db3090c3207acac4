// From the link box to the grid: the run triggers, the grid a run leaves, the progress panel, and the jumps.
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>

#include "ui/companions/about_window.h"
#include "ui/main/click_label.h"
#include "ui/main/progress_panel.h"
#include "ui/main/result_grid.h"
#include "ui_test_support.h"

namespace velomir::test {

class AnalysisFlowTest : public QObject {
    Q_OBJECT

private slots:
    void playlistFillsGrid();
    void runTriggers_data();
    void runTriggers();
    void triggersDuringRunStartNothing();
    void jumpsStartRunsOfTheirKind_data();
    void jumpsStartRunsOfTheirKind();
    void searchListHasNoAlbumJump();
    void hostileAnswersEndInTheRowsFound();
    void aboutWindowSamplePlaylistListsIt();
    void cutPlaylistIsCompletedAndSaysWhatItLost();
    void escapeStopsACompletionKeepingItsRows();
    void refusalIsSaidUnderTheGrid();
};

void AnalysisFlowTest::playlistFillsGrid() {
    WindowHarness harness(stubPort());
    QSignalSpy runs(&harness.window(), &MainWindow::analysisStarted);
    harness.runLink(kSamplePlaylist);
    auto* grid = harness.control<ResultGrid>("高级表格_分析列表");
    QCOMPARE(runs.count(), 1);
    QCOMPARE(grid->model()->rowCount(), 25);
    QCOMPARE(grid->cornerText(), QStringLiteral("{25}"));
    QCOMPARE(grid->cellText(0, 1), QStringLiteral("[歌单]名称"));
    QCOMPARE(grid->cellText(0, 2), QStringLiteral("歌手"));
    QCOMPARE(grid->cellText(0, 3), QStringLiteral("专辑"));
    QCOMPARE(grid->cellText(25, 0), QStringLiteral("25"));
    QCOMPARE(grid->cellText(1, 1), QStringLiteral("可惜没如果"));
    QCOMPARE(grid->model()->headerData(0, Qt::Horizontal, Qt::DisplayRole).toString(), QStringLiteral("[歌单]名称"));
    QCOMPARE(grid->model()->data(grid->model()->index(0, 1), Qt::DisplayRole).toString(), grid->cellText(1, 2));
    QCOMPARE(harness.control<QLineEdit>("编辑框_链接id")->text(), QStringLiteral("[歌单]") + kSamplePlaylist);
    QCOMPARE(harness.window().runState().progressStep, -1);
}

void AnalysisFlowTest::runTriggers_data() {
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("runs");
    QTest::newRow("Return") << int(Qt::Key_Return) << 1;
    QTest::newRow("keypad Enter") << int(Qt::Key_Enter) << 1;
    QTest::newRow("letter") << int(Qt::Key_A) << 0;
    QTest::newRow("Escape") << int(Qt::Key_Escape) << 0;
}

void AnalysisFlowTest::runTriggers() {
    QFETCH(int, key);
    QFETCH(int, runs);
    WindowHarness harness(stubPort());
    QSignalSpy started(&harness.window(), &MainWindow::analysisStarted);
    auto* box = harness.control<QLineEdit>("编辑框_链接id");
    box->setText(QString::fromLatin1(kSamplePlaylist));
    QTest::keyClick(box, Qt::Key(key));
    QCOMPARE(started.count(), runs);
    harness.waitForWork();

    QTest::mouseClick(harness.control("图片框_解析"), Qt::LeftButton);
    QCOMPARE(started.count(), runs + 1);
    harness.waitForWork();
    QTest::mouseClick(harness.control("图片框_解析"), Qt::RightButton);
    QCOMPARE(started.count(), runs + 1);
}

// While the playlist is awaited the window keeps working: the progress panel shows and turns, and neither Enter
// nor the parse button starts a second run. The request is held until the checks are done.
void AnalysisFlowTest::triggersDuringRunStartNothing() {
    WindowHarness harness(stubPort());
    harness.showActive();
    QSignalSpy started(&harness.window(), &MainWindow::analysisStarted);
    auto* panel = harness.control<ProgressPanel>("图片框_进度");
    bool checkedDuringRun = false;
    harness.http.whileWaiting = [&] {
        QVERIFY(harness.window().runState().progressStep >= 0);
        // The panel follows the run on its own timer.
        QVERIFY(QTest::qWaitFor([&] { return panel->isVisible() && panel->caption()->text() == stageText(3); },
                                kEventWaitMs));
        const QByteArray frame = panel->loader()->picture();
        QVERIFY(!frame.isEmpty());
        QVERIFY(QTest::qWaitFor([&] { return panel->loader()->picture() != frame; }, kEventWaitMs));
        QTest::keyClick(harness.control<QLineEdit>("编辑框_链接id"), Qt::Key_Return);
        QTest::mouseClick(harness.control("图片框_解析"), Qt::LeftButton);
        checkedDuringRun = true;
    };
    harness.runLink(kSamplePlaylist);
    QVERIFY(checkedDuringRun);
    QCOMPARE(started.count(), 1);
    QVERIFY(QTest::qWaitFor([&] { return panel->isHidden(); }, kEventWaitMs));
    QCOMPARE(panel->caption()->text(), QStringLiteral("解析完成,创建完成"));
}

void AnalysisFlowTest::jumpsStartRunsOfTheirKind_data() {
    QTest::addColumn<QString>("list");
    QTest::addColumn<QString>("label");
    QTest::addColumn<QString>("boxStart");
    QTest::addColumn<QString>("address");
    QTest::addColumn<QString>("title");
    const QString playlist = QString::fromLatin1(kSamplePlaylist);
    const QString radio = QStringLiteral("http://music.163.com/#/djradio?id=350117068");
    QTest::newRow("album of a track") << playlist << "标签_专辑名称"
                                      << "[专辑]"
                                      << "/#/album?id="
                                      << "[专辑]名称";
    QTest::newRow("artist of a track") << playlist << "标签_歌手名称"
                                       << "[歌手]"
                                       << "/artist?id="
                                       << "[歌手]名称";
    QTest::newRow("station of a programme") << radio << "标签_专辑名称"
                                            << "[电台]"
                                            << "/#/djradio?id=350117068"
                                            << "[电台]名称";
}

void AnalysisFlowTest::jumpsStartRunsOfTheirKind() {
    QFETCH(QString, list);
    QFETCH(QString, label);
    QFETCH(QString, boxStart);
    QFETCH(QString, address);
    QFETCH(QString, title);
    WindowHarness harness(stubPort());
    harness.runLink(list.toStdString());
    harness.selectRow(2);
    const RunState& state = harness.window().runState();
    const ResultRow row = state.resultRows.at(1);
    QSignalSpy started(&harness.window(), &MainWindow::analysisStarted);
    QTest::mouseClick(harness.control(label.toUtf8().constData()), Qt::LeftButton);
    QCOMPARE(started.count(), 1);
    harness.waitForWork();
    const QString box = harness.control<QLineEdit>("编辑框_链接id")->text();
    QVERIFY2(box.startsWith(boxStart + "http://music.163.com" + address), qPrintable(box));
    if (address == "/#/album?id=") QVERIFY(box.endsWith(QString::fromStdString(row.albumId)));
    if (address == "/artist?id=") QVERIFY(box.endsWith(QString::fromStdString(row.artistIds)));
    QCOMPARE(harness.control<ResultGrid>("高级表格_分析列表")->cellText(0, 1), title);
}

// Answers built to hurt end in a grid the window can show and keep working with.
void AnalysisFlowTest::hostileAnswersEndInTheRowsFound() {
    WindowHarness harness(stubPort());
    auto* grid = harness.control<ResultGrid>("高级表格_分析列表");
    harness.runLink("http://music.163.com/#/playlist?id=9100004");  // 100,000 artists on one track
    QCOMPARE(grid->cornerText(), QStringLiteral("{1}"));
    QCOMPARE(grid->cellText(1, 2).size(), 199999);
    // Shown in part: laying out the whole text at every paint would hold the window.
    const QString shown = grid->model()->data(grid->model()->index(0, 1), Qt::DisplayRole).toString();
    QVERIFY(shown.size() < 5000);
    QVERIFY(grid->cellText(1, 2).startsWith(shown));
    harness.runLink("http://music.163.com/#/playlist?id=9100001");  // 1,000,000 nested brackets
    QVERIFY(grid->model()->rowCount() <= 1);
    harness.runLink(kSamplePlaylist);
    QCOMPARE(grid->cornerText(), QStringLiteral("{25}"));
}

void AnalysisFlowTest::searchListHasNoAlbumJump() {
    WindowHarness harness(stubPort());
    QTest::mouseClick(harness.control("透明标签_搜索模式"), Qt::LeftButton);
    harness.runLink("love");
    QCOMPARE(harness.control<QLineEdit>("编辑框_链接id")->text(), QStringLiteral("[搜索]love"));
    QVERIFY(harness.control<ResultGrid>("高级表格_分析列表")->model()->rowCount() > 0);
    harness.selectRow(1);
    QSignalSpy started(&harness.window(), &MainWindow::analysisStarted);
    QTest::mouseClick(harness.control("标签_专辑名称"), Qt::LeftButton);
    QCOMPARE(started.count(), 0);
    QTest::mouseClick(harness.control("标签_歌手名称"), Qt::LeftButton);
    QCOMPARE(started.count(), 1);
    harness.waitForWork();
    QVERIFY(!harness.window().searchMode());
}

// The about window's picture opens the sample playlist's page and lists it in the main window.
void AnalysisFlowTest::aboutWindowSamplePlaylistListsIt() {
    WindowHarness harness(stubPort(), "");
    QWidget* about = harness.window().aboutWindow();
    QVERIFY(about != nullptr);
    auto* picture = about->findChild<QWidget*>(QString::fromUtf8("图片框_专辑封面"));
    QVERIFY(picture != nullptr);
    QTest::mouseClick(picture, Qt::LeftButton);
    auto* grid = harness.control<ResultGrid>("高级表格_分析列表");
    QTRY_COMPARE_WITH_TIMEOUT(grid->model()->rowCount(), 25, kEventWaitMs);
    QCOMPARE(grid->cornerText(), QStringLiteral("{25}"));
    QCOMPARE(harness.control<QLineEdit>("编辑框_链接id")->text(),
             QString::fromUtf8("[歌单]http://music.163.com/#/playlist?id=2330887406"));
    QCOMPARE(harness.opener.opened.size(), std::size_t{1});
    QCOMPARE(QString::fromStdString(harness.opener.opened.front()),
             QStringLiteral("http://music.163.com/playlist?id=2330887406"));
}

// Today's service cuts the old answer of a 2,345-track playlist that lost seven songs: the window lists the other
// 2,338 in order, counts them in the corner and says under the grid what was lost, counting while it loads.
void AnalysisFlowTest::cutPlaylistIsCompletedAndSaysWhatItLost() {
    WindowHarness harness(stubPort());
    auto* panel = harness.control<ProgressPanel>("图片框_进度");
    auto* grid = harness.control<ResultGrid>("高级表格_分析列表");
    QString counted;
    int rowsMeanwhile = 0;
    harness.http.beforeAnswer = [&](const std::string& address) {
        // The second batch of song detail: the first one has been counted and shown by now.
        if (address.find("/api/song/detail") == std::string::npos || harness.http.countRequests("/song/detail") < 2)
            return;
        QVERIFY(QTest::qWaitFor([&] { return panel->caption()->text().startsWith("正在载入 "); }, kEventWaitMs));
        counted = panel->caption()->text();
        QVERIFY(QTest::qWaitFor([&] { return grid->model()->rowCount() > 0; }, kEventWaitMs));
        rowsMeanwhile = grid->model()->rowCount();
        QCOMPARE(grid->cellText(0, 1), QStringLiteral("[歌单]名称"));
    };
    harness.runLink("http://music.163.com/#/playlist?id=1200002345");
    QCOMPARE(grid->cornerText(), QStringLiteral("{2338}"));
    QCOMPARE(grid->cellText(3, 0), QStringLiteral("3"));
    QCOMPARE(harness.window().runState().resultRows[2].trackId, std::string("7300000004"));
    QVERIFY2(counted.endsWith("/2345"), qPrintable(counted));
    // The grid grew in the list's order while the rest was asked for.
    QVERIFY2(rowsMeanwhile > 997 && rowsMeanwhile < 2338, qPrintable(QString::number(rowsMeanwhile)));
    auto* note = harness.control<QLabel>("标签_运行提示");
    QVERIFY(note->isVisible() || !harness.window().isVisible());
    QCOMPARE(note->toolTip(), QStringLiteral("7 首歌曲已不存在"));
}

// Esc while a long list is completed: the run ends at its next request with the rows it has, and says so.
void AnalysisFlowTest::escapeStopsACompletionKeepingItsRows() {
    WindowHarness harness(stubPort());
    harness.showActive();
    harness.http.beforeAnswer = [&](const std::string& address) {
        if (address.find("/api/song/detail") == std::string::npos) return;
        harness.http.beforeAnswer = nullptr;
        QTest::keyClick(&harness.window(), Qt::Key_Escape);
    };
    harness.runLink("http://music.163.com/#/playlist?id=1200010000");
    const RunState& state = harness.window().runState();
    QVERIFY(state.resultRows.size() >= 1000u);
    QVERIFY(state.resultRows.size() < 10000u);
    QCOMPARE(state.completeness.problem.code(), Status::Code::Stopped);
    QCOMPARE(harness.control<QLabel>("标签_运行提示")->toolTip(),
             QStringLiteral("已列出 %1/10000 首：已停止").arg(state.resultRows.size()));
    QCOMPARE(harness.http.countRequests("/api/song/detail"), 1);
}

// A private playlist is never an empty grid without a word; the next list that comes whole clears the word.
void AnalysisFlowTest::refusalIsSaidUnderTheGrid() {
    WindowHarness harness(stubPort());
    harness.showActive();
    auto* note = harness.control<QLabel>("标签_运行提示");
    harness.runLink("http://music.163.com/#/playlist?id=1200000401");
    QCOMPARE(harness.control<ResultGrid>("高级表格_分析列表")->cornerText(), QStringLiteral("{0}"));
    QVERIFY(note->isVisible());
    QCOMPARE(note->toolTip(), QStringLiteral("服务拒绝了请求：code 401: 该歌单已被创建者设置为隐私"));
    harness.runLink(kSamplePlaylist);
    QVERIFY(note->isHidden());
}

int runAnalysisFlowTests(int argc, char** argv) {
    AnalysisFlowTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace velomir::test

#include "analysis_flow_test.moc"
