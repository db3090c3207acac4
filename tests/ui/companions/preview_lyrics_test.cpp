// The preview's lyrics: lines that follow the position the back end reports, words in place of lines, and one
// request per song however often and from wherever it is wanted.
#include <QLabel>
#include <QScrollBar>
#include <QSignalSpy>
#include <QtTest>

#include "analysis/analysis_driver.h"
#include "companion_test_support.h"
#include "ui/companions/lyric_view.h"
#include "ui/companions/preview_controller.h"
#include "ui/desktop/lyric_cache.h"

namespace velomir::testing {

namespace {

constexpr char kLyricPath[] = "/api/song/lyric?id=";
constexpr char kTimedAnswer[] = R"({"lrc":{"version":3,"lyric":"[00:01.00]one\n[00:03.00]two\n[00:05.00]three"},)"
                                R"("tlyric":{"version":1,"lyric":"[00:03:00]二"},"code":200})";
const char* const kSongs[] = {"26291188", "36990266"};

bool asks(const std::string& address, const std::string& part) { return address.find(part) != std::string::npos; }

RunState songs(const std::string& base) {
    RunState state;
    for (const char* id : kSongs) {
        ResultRow row;
        row.trackId = id;
        row.audioAddress = base + "/audio/" + id + ".mp3";
        state.resultRows.push_back(row);
    }
    return state;
}

}  // namespace

class PreviewLyricsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<StubFixture> stub_;
    std::shared_ptr<MediaLog> media_;
    std::unique_ptr<QWidget> owner_;
    std::unique_ptr<LyricCache> cache_;
    std::unique_ptr<PreviewController> preview_;

    LyricView& view() { return preview_->window()->lyrics(); }
    QList<QLabel*> lines() { return view().findChildren<QLabel*>(QStringLiteral("标签_歌词行")); }
    QString words() {
        const auto* shown = view().findChild<QLabel*>(QStringLiteral("标签_歌词文字"));
        return shown ? shown->text() : QString();
    }
    void show(RunState state, int row) {
        state.currentRow = row;
        preview_->showPreview(state);
    }
    bool lyricsCame(int row) {
        return QTest::qWaitFor([&] { return cache_->find(kSongs[row - 1]) != nullptr; }, kEventWaitMs);
    }

private slots:
    void init() {
        stub_ = std::make_unique<StubFixture>();
        media_ = std::make_shared<MediaLog>();
        owner_ = std::make_unique<QWidget>();
        cache_ = std::make_unique<LyricCache>(stub_->http, stub_->work);
        preview_ = std::make_unique<PreviewController>(stub_->services, *cache_, fakeBackends(media_), owner_.get());
    }
    void cleanup() {
        preview_.reset();
        owner_.reset();
        stub_.reset();
        cache_.reset();
    }

    void linesFollowThePlayingPosition() {
        stub_->http.answer(kLyricPath, kTimedAnswer);
        // A position that comes while the lyrics are on their way is applied when they come.
        stub_->http.beforeAnswer = [&](const std::string& address) {
            if (asks(address, kLyricPath)) media_->latest->reportPosition(3200);
        };
        show(songs(stub_->base()), 1);
        QCOMPARE(words(), QStringLiteral("正在载入歌词…"));
        QVERIFY(lyricsCame(1));
        QCOMPARE(lines().size(), qsizetype(3));
        QCOMPARE(view().currentLine(), 2);
        stub_->http.beforeAnswer = nullptr;

        QSignalSpy moves(&view(), &LyricView::currentLineChanged);
        QLabel* translation = view().findChild<QLabel*>(QStringLiteral("标签_歌词译文"));
        QCOMPARE(translation->text(), QStringLiteral("二"));
        const std::pair<qint64, int> steps[] = {{0, 0},    {1500, 1}, {3200, 2}, {1200, 1},
                                                {1200, 1}, {1250, 1}, {9000, 3}};
        for (const auto& [position, line] : steps) {
            media_->latest->reportPosition(position);
            QCOMPARE(view().currentLine(), line);
            for (int other = 1; other <= 3; ++other) QCOMPARE(lines()[other - 1]->font().bold(), other == line);
            QCOMPARE(translation->isVisibleTo(&view()), line == 2);
            if (line == 0) continue;
            // The current line, with its translation beneath it, sits in the middle of the view.
            const QLabel* current = lines()[line - 1];
            const int bottom = (line == 2 ? translation : current)->geometry().bottom();
            const int middle = (current->y() + bottom + 1) / 2 - view().verticalScrollBar()->value();
            QVERIFY(std::abs(middle - view().viewport()->height() / 2) <= 1);
        }
        QCOMPARE(moves.count(), 5);  // repeated reports within one line change nothing
        show(songs(stub_->base()), 2);
        QVERIFY(lyricsCame(2));
        QCOMPARE(view().currentLine(), 0);  // a new song starts from its beginning
    }

    void wordsInPlaceOfLines_data() {
        QTest::addColumn<QString>("answer");
        QTest::addColumn<QString>("shown");
        QTest::newRow("instrumental") << R"({"nolyric":true,"code":200})"
                                      << "纯音乐，请欣赏";
        QTest::newRow("none") << R"({"uncollected":true,"code":200})"
                              << "暂无歌词";
        QTest::newRow("failed request") << ""
                                        << "暂无歌词";
        QTest::newRow("plain") << R"({"lrc":{"lyric":"first words\n<b>second</b>"},"code":200})"
                               << "first words\n<b>second</b>";
    }
    void wordsInPlaceOfLines() {
        QFETCH(QString, answer);
        QFETCH(QString, shown);
        if (!answer.isEmpty()) stub_->http.answer(kLyricPath, answer.toStdString());
        if (answer.isEmpty()) stub_->http.refuse = [](const std::string& address) { return asks(address, kLyricPath); };
        show(songs(stub_->base()), 1);
        if (answer.isEmpty()) {
            QTRY_COMPARE_WITH_TIMEOUT(words(), shown, kEventWaitMs);  // from "loading" to "none", never kept
        } else {
            QVERIFY(lyricsCame(1));
            QCOMPARE(words(), shown);
        }
        QVERIFY(lines().isEmpty());
        QTRY_COMPARE_WITH_TIMEOUT(media_->played.size(), std::size_t(1), kEventWaitMs);  // played all the same
        if (!answer.isEmpty()) return;
        // A failure is not kept: the next showing asks again and gets the lines.
        stub_->http.refuse = {};
        stub_->http.answer(kLyricPath, kTimedAnswer);
        preview_->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        show(songs(stub_->base()), 1);
        QVERIFY(lyricsCame(1));
        QCOMPARE(lines().size(), qsizetype(3));
    }

    // Shown again, reopened, or wanted elsewhere while asked for: one request per song all the same.
    void eachSongAskedForOnce() {
        stub_->http.answer(kLyricPath, kTimedAnswer);
        std::vector<std::size_t> joined;
        bool hooked = false;
        bool gone = false;
        stub_->http.beforeAnswer = [&](const std::string& address) {
            if (hooked || !asks(address, kLyricPath + std::string(kSongs[0]))) return;
            hooked = true;
            cache_->fetch(kSongs[0], owner_.get(),
                          [&](const Lyrics& lyrics) { joined.push_back(lyrics.lines.size()); });
            QObject closed;
            cache_->fetch(kSongs[0], &closed, [&](const Lyrics&) { gone = true; });
        };
        const RunState state = songs(stub_->base());
        show(state, 1);
        QVERIFY(lyricsCame(1));
        QCOMPARE(joined, std::vector<std::size_t>{3});
        QVERIFY(!gone);
        show(state, 2);
        QVERIFY(lyricsCame(2));
        preview_->window()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        show(state, 1);
        QCOMPARE(lines().size(), qsizetype(3));  // at once, from the session's lyrics
        QVERIFY(stub_->waitForWork());
        QCOMPARE(stub_->http.countRequests(kLyricPath), 2);
    }

    // The row changes while the first song's lyrics are asked for and the second song's come first: the first
    // song's, late, never replace them. A programme row then shows nothing and asks nothing.
    void onlyTheShownItemsLyrics() {
        stub_->http.answer(kLyricPath + std::string(kSongs[0]), kTimedAnswer);
        stub_->http.answer(kLyricPath, R"({"nolyric":true,"code":200})");
        const RunState state = songs(stub_->base());
        bool secondFirst = false;
        stub_->http.beforeAnswer = [&](const std::string& address) {
            if (!asks(address, kLyricPath + std::string(kSongs[0]))) return;
            show(state, 2);
            secondFirst = lyricsCame(2);
        };
        show(state, 1);
        QVERIFY(lyricsCame(1));
        QVERIFY(secondFirst);
        QVERIFY(stub_->waitForWork());
        QCOMPARE(words(), QStringLiteral("纯音乐，请欣赏"));

        RunState programme;
        programme.resultRows.resize(1);
        programme.resultRows[0].programmeId = "794062371";
        programme.currentRecordType = RecordType::Programme;
        show(programme, 1);
        QVERIFY(stub_->waitForWork());
        QVERIFY(view().findChildren<QLabel*>().isEmpty());
        QCOMPARE(stub_->http.countRequests(kLyricPath), 2);
    }
};

namespace {
const RegisterTest<PreviewLyricsTest> registered;
}

}  // namespace velomir::testing

#include "preview_lyrics_test.moc"
