// The grid's two list actions: every address to the clipboard, the whole list as an M3U file; both resolve the
// withheld addresses first and keep out of a run's way.
#include <QAction>

#include "analysis/audio_address.h"
#include "analysis/link_kind.h"
#include "text/text_helpers.h"
#include "ui_test_support.h"

namespace velomir::test {

namespace {

constexpr char kAlbum[] = "http://music.163.com/#/album?id=35799123";

QAction* action(WindowHarness& harness, const char* name) {
    QAction* found = harness.control<QAction>(name);
    if (!found) qWarning("no action %s", name);
    return found;
}

QAction* copyAll(WindowHarness& harness) { return action(harness, "动作_复制所有音乐地址"); }
QAction* exportM3u(WindowHarness& harness) { return action(harness, "动作_导出M3U播放列表"); }

std::vector<std::string> rowAddresses(WindowHarness& harness) {
    std::vector<std::string> addresses;
    for (const ResultRow& row : harness.window().runState().resultRows) addresses.push_back(row.audioAddress);
    return addresses;
}

}  // namespace

class ListActionsTest : public QObject {
    Q_OBJECT

private slots:
    void copyAllGivesEveryPlayableAddressInGridOrder();
    void exportWritesAnExtendedM3u();
    void actionsWaitForTheRunAndLeaveANewListAlone();
};

void ListActionsTest::copyAllGivesEveryPlayableAddressInGridOrder() {
    WindowHarness harness(stubPort());
    harness.runLink(kSamplePlaylist);
    QVERIFY(copyAll(harness));
    copyAll(harness)->trigger();
    harness.waitForWork();
    // Rows 5, 9, 13 and 17 lacked an address: one song-detail request asks for all four.
    QCOMPARE(harness.http.countRequests("/api/song/detail"), 1);
    const std::vector<std::string> addresses = rowAddresses(harness);
    QCOMPARE(splitText(harness.clipboard.text(), "\n"), addresses);
    for (const std::string& address : addresses) QVERIFY(!isMissingAudioAddress(address));
    QCOMPARE(labelText(harness, "标签_复制提示"), QStringLiteral("内容已复制"));
    copyAll(harness)->trigger();
    harness.waitForWork();
    QCOMPARE(harness.http.countRequests("/api/song/detail"), 1);  // the rows kept what was resolved
}

void ListActionsTest::exportWritesAnExtendedM3u() {
    WindowHarness harness(stubPort());
    harness.runLink(kSamplePlaylist);
    exportM3u(harness)->trigger();
    harness.waitForWork();  // no file chosen: nothing is asked or written
    QCOMPARE(harness.http.countRequests("/api/song/detail"), 0);

    harness.exportPath = harness.folder.filePath(QStringLiteral("list.m3u"));
    exportM3u(harness)->trigger();
    harness.waitForWork();
    const std::string playlist = readFile(harness.exportPath);
    const std::vector<ResultRow>& rows = harness.window().runState().resultRows;
    QVERIFY(playlist.starts_with("#EXTM3U\n"));
    QVERIFY(playlist.find("#EXTINF:-1,林俊杰 - 可惜没如果\n" + rows[0].audioAddress + "\n") != std::string::npos);
    QVERIFY(playlist.find("#EXTINF:-1,A/B - Two Voices\n") != std::string::npos);
    std::size_t entries = 0;
    for (std::size_t at = playlist.find("#EXTINF:"); at != std::string::npos; at = playlist.find("#EXTINF:", at + 1)) {
        const std::size_t address = playlist.find('\n', at) + 1;
        QCOMPARE(playlist.substr(address, playlist.find('\n', address) - address), rows[entries].audioAddress);
        ++entries;
    }
    QCOMPARE(entries, rows.size());
}

void ListActionsTest::actionsWaitForTheRunAndLeaveANewListAlone() {
    WindowHarness harness(stubPort());
    bool checkedDuringRun = false;
    harness.http.beforeAnswer = [&](const std::string& address) {
        if (address.find("/api/playlist/detail") == std::string::npos) return;
        QVERIFY(!copyAll(harness)->isEnabled());
        QVERIFY(!exportM3u(harness)->isEnabled());
        checkedDuringRun = true;
    };
    harness.runLink(kSamplePlaylist);
    QVERIFY(checkedDuringRun);
    QVERIFY(copyAll(harness)->isEnabled());

    // While the addresses are asked for, the user starts a run of the album: its rows stay as its answer gave
    // them (song 4 keeps its placeholder), and the copy still hands over the list it was asked for.
    harness.http.beforeAnswer = [&](const std::string& address) {
        if (address.find("/api/song/detail") == std::string::npos) return;
        harness.http.beforeAnswer = nullptr;
        QVERIFY(!copyAll(harness)->isEnabled());
        harness.runLink(kAlbum);
    };
    copyAll(harness)->trigger();
    harness.waitForWork();
    const RunState& state = harness.window().runState();
    QCOMPARE(state.currentKind, LinkKind::Album);
    QCOMPARE(state.resultRows.size(), std::size_t{12});
    QVERIFY(state.resultRows[3].audioAddress.ends_with("/0.mp3"));
    QCOMPARE(splitText(harness.clipboard.text(), "\n").size(), std::size_t{25});
    QVERIFY(copyAll(harness)->isEnabled());
}

int runListActionsTests(int argc, char** argv) {
    ListActionsTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace velomir::test

#include "list_actions_test.moc"
