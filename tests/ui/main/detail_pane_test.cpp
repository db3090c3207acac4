// The detail pane: what a row change shows and fetches, the copy and open clicks with their hint, the lyrics entry,
// and the guards for empty addresses, foreign addresses and answer texts that look like markup.
#include <QFontMetrics>
#include <QLabel>

#include "text/text_helpers.h"
#include "ui/companions/lyric_view.h"
#include "ui/companions/preview_controller.h"
#include "ui/main/click_label.h"
#include "ui/main/result_grid.h"
#include "ui/main/skin.h"
#include "ui_test_support.h"

namespace velomir::test {

namespace {

const ResultRow& rowOf(WindowHarness& harness, int row) {
    return harness.window().runState().resultRows.at(static_cast<std::size_t>(row) - 1);
}

constexpr char kLyricPath[] = "/api/song/lyric";

QByteArray coverBytes(WindowHarness& harness) { return harness.control<ClickLabel>("图片框_专辑封面")->picture(); }

QByteArray fetchedBytes(WindowHarness& harness, const std::string& address) {
    const std::string body = harness.curl.fetchBytes(address);
    return QByteArray(body.data(), static_cast<qsizetype>(body.size()));
}

}  // namespace

class DetailPaneTest : public QObject {
    Q_OBJECT

private slots:
    void rowChangeShowsRowAndCover();
    void captionsFollowTheKindOfList_data();
    void captionsFollowTheKindOfList();
    void newestRowOwnsTheCover();
    void audioCopyShowsHintForTwoTicks();
    void missingAudioAddressResolvedOnce();
    void unresolvableAudioAddressCopiesTheOuterAddress();
    void pictureAddressCopiedAndOpened();
    void lyricsCopiedAsLrcAndShownInThePreview();
    void foreignPictureAddressNeitherOpenedNorFetched();
    void answerTextsStayPlainText();
    void coverSwitchControlsFetching();
};

void DetailPaneTest::rowChangeShowsRowAndCover() {
    WindowHarness harness(stubPort());
    harness.runLink(kSamplePlaylist);
    auto* grid = harness.control<ResultGrid>("高级表格_分析列表");
    harness.selectRow(2);
    QCOMPARE(labelText(harness, "标签_名称"), grid->cellText(2, 1));
    QCOMPARE(labelText(harness, "标签_歌手名称"), grid->cellText(2, 2));
    QCOMPARE(labelText(harness, "标签_专辑名称"), grid->cellText(2, 3));
    QCOMPARE(harness.http.countRequests("?param=173y173"), 1);
    const QByteArray expected = fetchedBytes(harness, rowOf(harness, 2).pictureAddress() + "?param=173y173");
    QVERIFY(!expected.isEmpty());
    QCOMPARE(coverBytes(harness), expected);

    // The same row again, or no row: nothing is fetched and nothing changes.
    harness.selectRow(2);
    harness.selectRow(0);
    QCOMPARE(harness.http.countRequests("?param=173y173"), 1);
    QCOMPARE(labelText(harness, "标签_名称"), grid->cellText(2, 1));

    // A new run puts the placeholders and the default cover back.
    harness.runLink(kSamplePlaylist);
    QCOMPARE(labelText(harness, "标签_名称"), QStringLiteral("名称"));
    QCOMPARE(labelText(harness, "标签_专辑名称"), QStringLiteral("专辑名称"));
    QCOMPARE(coverBytes(harness), skin::imageBytes(skin::kDefaultCover));
}

void DetailPaneTest::captionsFollowTheKindOfList_data() {
    QTest::addColumn<QString>("link");
    QTest::addColumn<QStringList>("captions");
    QTest::addColumn<bool>("programme");
    QTest::newRow("playlist") << kSamplePlaylist << QStringList{"专辑", "歌手", "来源", "歌单"} << false;
    QTest::newRow("album") << "http://music.163.com/#/album?id=35799123" << QStringList{"专辑", "歌手", "来源", "专辑"}
                           << false;
    QTest::newRow("programme") << "http://music.163.com/#/program?id=794062371"
                               << QStringList{"电台", "主播", "来源", "节目"} << true;
    QTest::newRow("station") << "http://music.163.com/#/djradio?id=350117068"
                             << QStringList{"电台", "主播", "来源", "电台"} << true;
}

void DetailPaneTest::captionsFollowTheKindOfList() {
    QFETCH(QString, link);
    QFETCH(QStringList, captions);
    QFETCH(bool, programme);
    WindowHarness harness(stubPort());
    harness.runLink(link.toStdString());
    harness.selectRow(1);
    QCOMPARE(labelText(harness, "标签_专辑"), captions[0]);
    QCOMPARE(labelText(harness, "标签_歌手"), captions[1]);
    QCOMPARE(labelText(harness, "标签_来源"), captions[2]);
    QCOMPARE(labelText(harness, "标签_来源名称"), captions[3]);
    const ResultRow& row = rowOf(harness, 1);
    QCOMPARE(labelText(harness, "标签_名称").toStdString(), programme ? row.programmeName : row.trackName);
    QCOMPARE(labelText(harness, "标签_歌手名称").toStdString(), programme ? row.djNickname : row.artistNames);
    QCOMPARE(labelText(harness, "标签_专辑名称").toStdString(), programme ? row.radioName : row.albumName);
    // A programme has no lyrics to offer.
    QCOMPARE(harness.control("标签_歌词")->isHidden(), programme);
}

// The user moves to row 3 while row 1's cover is awaited: row 1's late answer must not replace row 3's cover.
void DetailPaneTest::newestRowOwnsTheCover() {
    WindowHarness harness(stubPort());
    harness.runLink(kSamplePlaylist);
    const std::string firstCover = rowOf(harness, 1).pictureAddress();
    QVERIFY(firstCover != rowOf(harness, 3).pictureAddress());
    bool moved = false;
    harness.http.beforeAnswer = [&](const std::string& address) {
        if (!moved && address.starts_with(firstCover)) {
            moved = true;
            harness.selectRow(3, false);
        }
    };
    harness.selectRow(1);
    QVERIFY(moved);
    QCOMPARE(harness.window().runState().currentRow, 3);
    QCOMPARE(labelText(harness, "标签_名称").toStdString(), rowOf(harness, 3).trackName);
    QCOMPARE(coverBytes(harness), fetchedBytes(harness, rowOf(harness, 3).pictureAddress() + "?param=173y173"));
}

void DetailPaneTest::audioCopyShowsHintForTwoTicks() {
    WindowHarness harness(stubPort());
    harness.showActive();
    harness.runLink(kSamplePlaylist);
    harness.selectRow(1);
    QTest::mouseClick(harness.control("标签_下载地址"), Qt::LeftButton);
    harness.waitForWork();
    QCOMPARE(harness.clipboard.text(), rowOf(harness, 1).audioAddress);
    QVERIFY(harness.clipboard.text().starts_with("http://127.0.0.1"));
    auto* hint = harness.control<QLabel>("标签_复制提示");
    QVERIFY(hint->isVisible());
    QCOMPARE(hint->text(), QStringLiteral("内容已复制"));
    harness.tick("时钟_复制提示");
    QVERIFY(hint->isVisible());
    harness.tick("时钟_复制提示");
    QVERIFY(hint->isHidden());
    QVERIFY(!harness.control<QTimer>("时钟_复制提示")->isActive());
}

// Track 5 comes without an audio address: the first copy asks the song's details, later copies reuse the answer.
void DetailPaneTest::missingAudioAddressResolvedOnce() {
    WindowHarness harness(stubPort());
    harness.runLink(kSamplePlaylist);
    QVERIFY(rowOf(harness, 5).audioAddress.empty());
    harness.selectRow(5);
    QTest::mouseClick(harness.control("标签_下载地址"), Qt::LeftButton);
    harness.waitForWork();
    QCOMPARE(harness.http.countRequests("/api/song/detail"), 1);
    QVERIFY(harness.clipboard.text().starts_with("http://127.0.0.1"));
    QCOMPARE(harness.clipboard.text(), rowOf(harness, 5).audioAddress);
    QTest::mouseClick(harness.control("标签_下载地址"), Qt::LeftButton);
    harness.waitForWork();
    QCOMPARE(harness.http.countRequests("/api/song/detail"), 1);
}

// Song detail gives nothing: the outer address still plays, and the row keeps it.
void DetailPaneTest::unresolvableAudioAddressCopiesTheOuterAddress() {
    WindowHarness harness(stubPort());
    harness.runLink(kSamplePlaylist);
    harness.http.refuse = [](const std::string& address) {
        return address.find("/api/song/detail") != std::string::npos;
    };
    harness.selectRow(5);
    QTest::mouseClick(harness.control("标签_下载地址"), Qt::LeftButton);
    harness.waitForWork();
    QCOMPARE(labelText(harness, "标签_复制提示"), QStringLiteral("内容已复制"));
    const std::string outer = "http://music.163.com/song/media/outer/url?id=" + rowOf(harness, 5).trackId + ".mp3";
    QCOMPARE(harness.clipboard.text(), outer);
    QCOMPARE(rowOf(harness, 5).audioAddress, outer);
}

void DetailPaneTest::pictureAddressCopiedAndOpened() {
    WindowHarness harness(stubPort());
    harness.runLink(kSamplePlaylist);
    // Before any row is chosen the labels do nothing.
    QTest::mouseClick(harness.control("标签_图片地址"), Qt::RightButton);
    QTest::mouseClick(harness.control("标签_下载地址"), Qt::LeftButton);
    harness.waitForWork();
    QVERIFY(harness.opener.opened.empty());
    QCOMPARE(harness.clipboard.writes, 0);
    harness.selectRow(4);
    const std::string picture = rowOf(harness, 4).pictureAddress();
    QTest::mouseClick(harness.control("标签_图片地址"), Qt::LeftButton);
    QCOMPARE(harness.clipboard.text(), picture);
    QCOMPARE(labelText(harness, "标签_复制提示"), QStringLiteral("内容已复制"));
    QTest::mouseClick(harness.control("标签_图片地址"), Qt::RightButton);
    QCOMPARE(harness.opener.opened, std::vector<std::string>{picture});
}

void DetailPaneTest::lyricsCopiedAsLrcAndShownInThePreview() {
    WindowHarness harness(stubPort());
    harness.http.answer(kLyricPath, R"({"lrc":{"version":3,"lyric":"[00:01.00]one\n[00:03.00]two\n[00:05.00]three"},)"
                                    R"("tlyric":{"version":1,"lyric":"[00:03:00]二"},"code":200})");
    harness.runLink(kSamplePlaylist);
    harness.http.refuse = [refused = kLyricPath + ("?id=" + rowOf(harness, 2).trackId)](const std::string& address) {
        return address.find(refused) != std::string::npos;
    };
    harness.selectRow(1);
    auto* hint = harness.control<QLabel>("标签_复制提示");
    QTest::mouseClick(harness.control("标签_歌词"), Qt::LeftButton);
    QCOMPARE(hint->text(), QStringLiteral("正载入歌词"));
    harness.waitForWork();
    const std::string lrc = "[00:01.00]one\n[00:03.00]two\n[00:03.00]二\n[00:05.00]three\n";
    QCOMPARE(harness.clipboard.text(), lrc);
    QCOMPARE(hint->text(), QStringLiteral("内容已复制"));

    // Copied again and shown in the preview from what the session has: no second request.
    harness.clipboard.setText("other");
    QTest::mouseClick(harness.control("标签_歌词"), Qt::LeftButton);
    QCOMPARE(harness.clipboard.text(), lrc);
    QTest::mouseClick(harness.control("标签_歌词"), Qt::RightButton);
    PreviewWindow* preview = harness.window().preview().window();
    QVERIFY(preview);
    QCOMPARE(preview->lyrics().findChildren<QLabel*>(QStringLiteral("标签_歌词行")).size(), qsizetype(3));
    harness.waitForWork();
    QCOMPARE(harness.http.countRequests(kLyricPath), 1);

    // A failed request is a failed copy: the clipboard keeps its text.
    harness.selectRow(2);
    QTest::mouseClick(harness.control("标签_歌词"), Qt::LeftButton);
    harness.waitForWork();
    QCOMPARE(hint->text(), QStringLiteral("复制失败"));
    QCOMPARE(harness.clipboard.text(), lrc);
}

void DetailPaneTest::foreignPictureAddressNeitherOpenedNorFetched() {
    WindowHarness harness(stubPort());
    harness.http.rewriteText = [](const std::string&, std::string body) {
        return replaceAll(body, "http://127.0.0.1", "file:///tmp/x");
    };
    harness.runLink(kSamplePlaylist);
    harness.selectRow(1);
    QVERIFY(rowOf(harness, 1).pictureAddress().starts_with("file:"));
    QTest::mouseClick(harness.control("标签_图片地址"), Qt::RightButton);
    QVERIFY(harness.opener.opened.empty());
    QCOMPARE(harness.http.countRequests("file:"), 0);
    QCOMPARE(coverBytes(harness), skin::imageBytes(skin::kDefaultCover));
}

void DetailPaneTest::answerTextsStayPlainText() {
    const std::string markup = "<b>x</b><img src=\\\"http://127.0.0.1/y.png\\\">";
    WindowHarness harness(stubPort());
    harness.http.rewriteText = [&](const std::string&, std::string body) {
        return replaceAll(body, "可惜没如果", markup);
    };
    harness.runLink(kSamplePlaylist);
    harness.selectRow(1);
    auto* name = harness.control<QLabel>("标签_名称");
    const QString shown = QStringLiteral("<b>x</b><img src=\"http://127.0.0.1/y.png\">");
    QCOMPARE(name->text(), shown);
    // Rendered as rich text the label would be a few pixels wide; as plain text it is as wide as the markup.
    QVERIFY(name->sizeHint().width() >= QFontMetrics(name->font()).horizontalAdvance(shown));
}

void DetailPaneTest::coverSwitchControlsFetching() {
    WindowHarness harness(stubPort());
    harness.runLink(kSamplePlaylist);
    harness.selectRow(1);
    QVERIFY(coverBytes(harness) != skin::imageBytes(skin::kDefaultCover));
    QTest::mouseClick(harness.control("图片框_封面开关"), Qt::LeftButton);
    harness.waitForWork();
    QVERIFY(!harness.window().options().showCovers);
    QCOMPARE(coverBytes(harness), skin::imageBytes(skin::kDefaultCover));
    harness.selectRow(2);
    QCOMPARE(harness.http.countRequests("?param=173y173"), 1);
    QCOMPARE(coverBytes(harness), skin::imageBytes(skin::kDefaultCover));
    // Switched on again, the shown row's cover is fetched at once.
    QTest::mouseClick(harness.control("图片框_封面开关"), Qt::LeftButton);
    harness.waitForWork();
    QCOMPARE(harness.http.countRequests("?param=173y173"), 2);
    QCOMPARE(coverBytes(harness), fetchedBytes(harness, rowOf(harness, 2).pictureAddress() + "?param=173y173"));
}

int runDetailPaneTests(int argc, char** argv) {
    DetailPaneTest test;
    return QTest::qExec(&test, argc, argv);
}

}  // namespace velomir::test

#include "detail_pane_test.moc"
