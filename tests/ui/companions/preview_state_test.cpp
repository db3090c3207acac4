// What a result row puts into the preview.
#include "ui/companions/preview_state.h"

#include <QtTest>

#include "analysis/link_kind.h"
#include "analysis/result_row.h"
#include "companion_test_support.h"

namespace velomir::testing {

class PreviewStateTest : public QObject {
    Q_OBJECT

private slots:
    void rowsFillThePreview() {
        ResultRow row;
        row.trackName = "A";
        row.artistNames = "B/C";
        row.trackId = "11";
        row.trackCover = "http://p/1.jpg";
        row.audioAddress = "http://m/11.mp3";
        row.programmeName = "Night";
        row.djNickname = "DJ";
        row.programmeId = "99";
        const PreviewState track = PreviewState::fromRow(row, RecordType::Track);
        QCOMPARE(track.previewId, std::string("11"));
        QCOMPARE(track.previewTitle, std::string("A\r\n-\r\nB/C"));
        const PreviewState programme = PreviewState::fromRow(row, RecordType::Programme);
        QCOMPARE(programme.previewId, std::string("99"));
        QCOMPARE(programme.previewTitle, std::string("Night\r\n-\r\nDJ"));
        QCOMPARE(programme.previewCover, std::string("http://p/1.jpg"));
        QCOMPARE(programme.previewAudio, std::string("http://m/11.mp3"));
        QCOMPARE(std::string(widgetTypeOf(RecordType::Track)), std::string("2"));
        QCOMPARE(std::string(widgetTypeOf(RecordType::Programme)), std::string("3"));
    }
};

namespace {
const RegisterTest<PreviewStateTest> registered;
}

}  // namespace velomir::testing

#include "preview_state_test.moc"
