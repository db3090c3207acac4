#include "ui/main/detail_pane.h"

#include <QTimer>

#include "analysis/analysis_driver.h"
#include "analysis/http_transport.h"
#include "analysis/link_kind.h"
#include "analysis/service_hosts.h"
#include "ui/desktop/background_work.h"
#include "ui/desktop/desktop_services.h"
#include "ui/main/skin.h"

namespace velomir {

namespace {

constexpr int kLabelPixels = 12;
constexpr int kNamePixels = 19;

QString shown(const std::string& utf8) { return QString::fromStdString(utf8); }

}  // namespace

DetailPane::DetailPane(QWidget* parent, RunState& state, const AnalysisOptions& options, UiServices& services,
                       LyricCache& lyrics)
    : ClickLabel(parent, "图片框_歌曲信息底"), state_(state), options_(options), services_(services), lyrics_(lyrics) {
    setGeometry(7, -4, 318, 426);
    setBackground(skin::colour(skin::kRightPanelColour));
    buildControls();
    bindClicks();
}

void DetailPane::buildControls() {
    disc_ = new ClickLabel(this, "图片框_黑碟底");
    disc_->setGeometry(8, 33, 216, 184);
    disc_->setPicture(skin::imageBytes(skin::kDiscBackground));
    cover_ = new ClickLabel(disc_, "图片框_专辑封面");
    cover_->setGeometry(4, 4, 173, 173);
    cover_->setScaledContents(true);
    cover_->setPicture(skin::imageBytes(skin::kDefaultCover));
    hint_ = new ClickLabel(cover_, "标签_复制提示");
    hint_->setGeometry(0, 147, 173, 26);
    hint_->setText(QStringLiteral("内容已复制"));
    hint_->setAlignment(Qt::AlignCenter);
    hint_->setFont(skin::guiFont(kLabelPixels));
    hint_->setTextColour(skin::colour(skin::kPaleTextColour));
    hint_->setBackground(skin::colour(skin::kLeftBarColour));
    hint_->hide();
    hintTimer_ = new QTimer(cover_);
    hintTimer_->setObjectName(QStringLiteral("时钟_复制提示"));
    connect(hintTimer_, &QTimer::timeout, this, &DetailPane::hintTick);

    name_ = addLabel("标签_名称", QRect(16, 220, 332, 40), QStringLiteral("名称"), skin::kDarkTextColour);
    name_->setFont(skin::detailFont(kNamePixels));
    albumCaption_ = addLabel("标签_专辑", QRect(16, 258, 32, 24), QStringLiteral("专辑"), skin::kDarkTextColour);
    albumName_ = addLabel("标签_专辑名称", QRect(48, 258, 234, 24), QStringLiteral("专辑名称"), skin::kGreyTextColour);
    artistCaption_ = addLabel("标签_歌手", QRect(16, 282, 32, 24), QStringLiteral("歌手"), skin::kDarkTextColour);
    artistName_ = addLabel("标签_歌手名称", QRect(48, 282, 234, 24), QStringLiteral("歌手名称"), skin::kGreyTextColour);
    sourceCaption_ = addLabel("标签_来源", QRect(16, 306, 32, 24), QStringLiteral("来源"), skin::kDarkTextColour);
    sourceName_ = addLabel("标签_来源名称", QRect(48, 306, 234, 24), QStringLiteral("来源名称"), skin::kGreyTextColour);
    pictureAddress_ =
        addLabel("标签_图片地址", QRect(16, 334, 234, 24), QStringLiteral("封面图片"), skin::kDarkTextColour);
    audioAddress_ =
        addLabel("标签_下载地址", QRect(16, 356, 234, 24), QStringLiteral("音乐地址"), skin::kGreyTextColour);
    lyricsEntry_ = addLabel("标签_歌词", QRect(16, 378, 234, 24), QStringLiteral("歌词"), skin::kDarkTextColour);
    usageHint_ = addLabel("标签_下载提示", QRect(16, 400, 234, 24), QStringLiteral("提示:左键复制，右键打开"),
                          skin::kPaleTextColour);
    for (ClickLabel* link : {albumName_, artistName_, pictureAddress_, audioAddress_, lyricsEntry_}) {
        link->setHandCursor();
    }
}

ClickLabel* DetailPane::addLabel(const char* name, const QRect& geometry, const QString& caption, QRgb textColour) {
    auto* label = new ClickLabel(this, name);
    label->setGeometry(geometry);
    label->setText(caption);
    label->setFont(skin::detailFont(kLabelPixels));
    label->setTextColour(skin::colour(textColour));
    label->setBackground(skin::colour(skin::kRightPanelColour));
    return label;
}

void DetailPane::createTooltips() {
    albumName_->setToolTip(QStringLiteral("查看专辑"));
    artistName_->setToolTip(QStringLiteral("查看歌手热门50首"));
    audioAddress_->setToolTip(QStringLiteral("左键复制地址，右键打开"));
    pictureAddress_->setToolTip(QStringLiteral("左键复制地址，右键打开"));
    lyricsEntry_->setToolTip(QStringLiteral("左键复制LRC歌词，右键试听并看歌词"));
}

void DetailPane::fitWidth(int width) {
    resize(width, height());
    name_->resize(width - 2 * name_->x(), name_->height());
    for (ClickLabel* label : {albumName_, artistName_, sourceName_, pictureAddress_, audioAddress_, lyricsEntry_}) {
        label->resize(width - label->x() - 20, label->height());
    }
}

void DetailPane::showRow(int row) {
    if (validRow(row) && row != state_.currentRow) showDetails(row);
    emit cursorMoved();
}

void DetailPane::showDetails(int row) {
    state_.currentRow = row;
    const ResultRow& item = state_.resultRows[static_cast<std::size_t>(row) - 1];
    const bool programme = state_.currentRecordType == RecordType::Programme;
    name_->setText(shown(programme ? item.programmeName : item.trackName));
    albumName_->setText(shown(programme ? item.radioName : item.albumName));
    artistName_->setText(shown(programme ? item.djNickname : item.artistNames));
    const std::string picture = item.pictureAddress();
    pictureAddress_->setVisible(!picture.empty());
    lyricsEntry_->setVisible(!programme);
    detailIds_ = {item.albumId, item.trackId, item.artistIds, item.programmeId, item.djUserId, item.radioId};
    const CaptionSet& captions = kindTraits(state_.currentKind).captions;
    albumCaption_->setText(QString::fromUtf8(captions.album));
    artistCaption_->setText(QString::fromUtf8(captions.artist));
    sourceCaption_->setText(QString::fromUtf8(captions.source));
    sourceName_->setText(QString::fromUtf8(captions.sourceName));
    if (options_.showCovers) setCover(picture, true);
}

void DetailPane::setCover(const std::string& pictureAddress, bool fallback) {
    const unsigned ticket = ++coverTicket_;
    // Only web addresses are fetched: an answer must not make us read local files.
    if (!isWebAddress(pictureAddress)) {
        if (fallback) {
            showDefaultCover();
        } else {
            cover_->setPicture({});
        }
        return;
    }
    HttpTransport& http = services_.http;
    services_.work.run<std::string>(
        this, [&http, address = thumbnailAddress(pictureAddress)] { return http.fetchBytes(address); },
        [this, ticket, fallback](std::string body) {
            // The user may have chosen another row meanwhile: its cover wins.
            if (ticket != coverTicket_) return;
            QByteArray bytes(body.data(), static_cast<qsizetype>(body.size()));
            if (bytes.isEmpty() && fallback) bytes = skin::imageBytes(skin::kDefaultCover);
            if (bytes != cover_->picture()) cover_->setPicture(bytes);
        });
}

void DetailPane::fetchCoverAgain() {
    if (!validRow(state_.currentRow)) return;
    setCover(state_.resultRows[static_cast<std::size_t>(state_.currentRow) - 1].pictureAddress(), false);
}

void DetailPane::showDefaultCover() {
    ++coverTicket_;
    const QByteArray& fallback = skin::imageBytes(skin::kDefaultCover);
    if (cover_->picture() != fallback) cover_->setPicture(fallback);
}

void DetailPane::reset() {
    showDefaultCover();
    name_->setText(QStringLiteral("名称"));
    albumName_->setText(QStringLiteral("专辑名称"));
    artistName_->setText(QStringLiteral("歌手名称"));
    sourceName_->setText(QStringLiteral("来源名称"));
}

bool DetailPane::validRow(int row) const { return row >= 1 && row <= static_cast<int>(state_.resultRows.size()); }

}  // namespace velomir
