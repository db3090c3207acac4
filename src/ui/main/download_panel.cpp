#include "ui/main/download_panel.h"

#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QUrl>
#include <algorithm>
#include <cmath>

#include "text/text_helpers.h"
#include "ui/desktop/background_work.h"
#include "ui/desktop/desktop_services.h"
#include "ui/main/skin.h"

namespace velomir {

// Hands the engine's news from its worker to the panel's thread.
class DownloadRelay : public DownloadObserver {
public:
    explicit DownloadRelay(DownloadPanel* panel) : panel_(panel) {}
    void progressed(const DownloadProgress& progress) override {
        // Delivered only while the panel exists; the window waits for its workers before it goes anyway.
        QMetaObject::invokeMethod(
            panel_, [panel = panel_, progress] { panel->showProgress(progress); }, Qt::QueuedConnection);
    }
    void trackFinished(const DownloadResult& result) override {
        QMetaObject::invokeMethod(
            panel_, [panel = panel_, result] { panel->noteFinished(result); }, Qt::QueuedConnection);
    }

private:
    DownloadPanel* panel_;
};

namespace {

constexpr int kTextPixels = 12;
constexpr int kLineHeight = 18;
constexpr int kButtonHeight = 22;
constexpr int kBarHeight = 6;
constexpr int kGap = 4;
constexpr int kUnsavedRowsShown = 4;

const QString kButtonStyle = QStringLiteral(
    "QPushButton { background: #505050; color: white; border: none; padding: 0 8px; }"
    "QPushButton:hover { background: #3E3E40; }"
    "QPushButton:pressed { background: #EA2000; }"
    "QPushButton:disabled { background: #C0C0C0; }");
const QString kBarStyle = QStringLiteral(
    "QProgressBar { border: none; background: #F5F5F5; }"
    "QProgressBar::chunk { background: #EA2000; }");
const QString kListStyle =
    QStringLiteral("QListWidget { border: 1px solid #B3B3B3; background: #F5F5F5; color: #606060; }");

QPushButton* addButton(QWidget* parent, const char* name, const QString& text) {
    auto* button = new QPushButton(text, parent);
    button->setObjectName(QString::fromUtf8(name));
    button->setStyleSheet(kButtonStyle);
    button->setFont(skin::detailFont(kTextPixels));
    button->setCursor(Qt::PointingHandCursor);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

ClickLabel* addText(QWidget* parent, const char* name, QRgb colour) {
    auto* label = new ClickLabel(parent, name);
    label->setFont(skin::detailFont(kTextPixels));
    label->setTextColour(skin::colour(colour));
    label->setBackground(skin::colour(skin::kMiddlePanelColour));
    return label;
}

QString fromUtf8(const std::string& text) { return QString::fromStdString(text); }

// Names and reasons come from the service and the disk: a line break in one must not break the panel's lines.
QString oneLineOf(const std::string& text) { return fromUtf8(oneLine(text)); }

// The engine's reason in the window's words; a transfer error libcurl worded stays as it is.
QString reasonText(std::string reason) {
    namespace why = download_reason;
    QString tries;
    // "... (5 tries)": how often it was tried, at the end.
    if (const std::size_t open = reason.rfind(" ("); open != std::string::npos && reason.ends_with(")") &&
                                                     (reason.ends_with(" tries)") || reason.ends_with(" try)"))) {
        tries = QStringLiteral("（试了 %1 次）").arg(integerValue32(reason.substr(open + 2)));
        reason.resize(open);
    }
    const std::string_view text = reason;
    const auto after = [&](std::string_view lead) { return fromUtf8(std::string(text.substr(lead.size()))); };
    QString said;
    if (text == why::kNoAddress) {
        said = QStringLiteral("没有音频地址");
    } else if (text == why::kNoFile) {
        said = QStringLiteral("服务没有这首歌的文件");
    } else if (text == why::kWebPage) {
        said = QStringLiteral("服务给的是网页，不是音频");
    } else if (text == why::kTooShort) {
        said = QStringLiteral("服务给的内容太短，不是歌曲");
    } else if (text == why::kNotAudio) {
        said = QStringLiteral("服务给的不是音频");
    } else if (text == why::kWrongPlace) {
        said = QStringLiteral("服务总是从错误的位置续传");
    } else if (text == why::kEndedEarly) {
        said = QStringLiteral("传输中途断开");
    } else if (text == why::kCannotPrepare) {
        said = QStringLiteral("无法发出请求");
    } else if (text.starts_with(why::kHttpAnswer)) {
        said = QStringLiteral("服务回答 HTTP ") + after(why::kHttpAnswer);
    } else if (text.starts_with(why::kNoData)) {
        said = QStringLiteral("%1 秒没有收到数据").arg(integerValue32(text.substr(why::kNoData.size())));
    } else if (text.starts_with(why::kCannotSave)) {
        said = QStringLiteral("无法保存：") + after(why::kCannotSave);
    } else {
        said = fromUtf8(reason);
    }
    return said + tries;
}

}  // namespace

DownloadPanel::DownloadPanel(QWidget* parent, UiServices& services, DownloadRunner run)
    : ClickLabel(parent, "面板_下载"), services_(services), run_(std::move(run)) {
    setBackground(skin::colour(skin::kMiddlePanelColour));
    buildControls();
    hide();
}

void DownloadPanel::buildControls() {
    track_ = addText(this, "标签_下载曲目", skin::kDarkTextColour);
    bar_ = new QProgressBar(this);
    bar_->setObjectName(QStringLiteral("进度条_下载"));
    bar_->setStyleSheet(kBarStyle);
    bar_->setTextVisible(false);  // the status line counts the tracks: text over the red would not read
    stopButton_ = addButton(this, "按钮_停止下载", QStringLiteral("停止下载"));
    openButton_ = addButton(this, "按钮_打开文件夹", QStringLiteral("打开文件夹"));
    closeButton_ = addButton(this, "按钮_关闭下载", QStringLiteral("关闭"));
    status_ = addText(this, "标签_下载状态", skin::kGreyTextColour);
    status_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    unsaved_ = new QListWidget(this);
    unsaved_->setObjectName(QStringLiteral("列表_未保存"));
    unsaved_->setStyleSheet(kListStyle);
    unsaved_->setFont(skin::detailFont(kTextPixels));
    unsaved_->setSelectionMode(QAbstractItemView::NoSelection);
    unsaved_->setFocusPolicy(Qt::NoFocus);
    unsaved_->setUniformItemSizes(true);
    connect(stopButton_, &QPushButton::clicked, this, &DownloadPanel::stop);
    connect(openButton_, &QPushButton::clicked, this, &DownloadPanel::openFolder);
    connect(closeButton_, &QPushButton::clicked, this, &DownloadPanel::dismiss);
}

void DownloadPanel::start(std::vector<DownloadItem> items, DownloadOptions options, HttpSettings http) {
    if (running_ || items.empty()) return;
    running_ = true;
    total_ = static_cast<int>(items.size());
    folder_ = options.folder;
    report_ = {};
    // Its own flag, so that the stop button ends this run only; closing the window sets it too.
    stop_ = std::make_shared<StopFlag>(false);
    http.stop = stop_.get();
    bar_->setRange(0, total_);
    bar_->setValue(0);
    track_->setToolTip(QString());
    track_->setText(QStringLiteral("正在准备下载 %1 首").arg(total_));
    status_->setText(downloadProgressText({total_, 0, 0, 0, 0, -1, {}}));
    unsaved_->clear();
    stopButton_->setEnabled(true);
    arrange();
    show();
    raise();
    emit heightChanged();

    DownloadRunner run = run_ ? run_ : DownloadRunner(downloadTracks);
    auto relay = std::make_shared<DownloadRelay>(this);
    services_.work.run<DownloadReport>(
        this,
        [run = std::move(run), items = std::move(items), options = std::move(options), http = std::move(http), relay,
         stop = stop_] { return run(items, options, http, relay.get()); },
        [this](DownloadReport report) { finish(std::move(report)); });
    emit started();
}

void DownloadPanel::stop() {
    if (!running_ || !stop_ || stop_->load()) return;
    stop_->store(true);
    stopButton_->setEnabled(false);
    track_->setText(QStringLiteral("正在停止…"));
}

void DownloadPanel::openFolder() {
    if (folder_.empty()) return;
    services_.opener.openAddress(QUrl::fromLocalFile(fromUtf8(folder_)).toString(QUrl::FullyEncoded).toStdString());
}

void DownloadPanel::dismiss() {
    if (running_ || isHidden()) return;
    hide();
    emit heightChanged();
}

void DownloadPanel::showProgress(const DownloadProgress& progress) {
    if (!running_) return;
    bar_->setRange(0, std::max(progress.total, 1));
    bar_->setValue(std::clamp(progress.finished, 0, std::max(progress.total, 1)));
    if (!stop_->load()) {
        const QString name = oneLineOf(progress.current);
        track_->setToolTip(name);
        track_->setText(name.isEmpty()
                            ? QString()
                            : QFontMetrics(track_->font())
                                  .elidedText(QStringLiteral("正在保存：") + name, Qt::ElideMiddle, track_->width()));
    }
    status_->setText(downloadProgressText(progress));
    emit progressed();
}

void DownloadPanel::noteFinished(const DownloadResult& result) {
    if (!running_) return;
    emit trackFinished(result.position);
}

void DownloadPanel::finish(DownloadReport report) {
    running_ = false;
    report_ = std::move(report);
    bar_->setValue(std::min(static_cast<int>(report_.results.size()), bar_->maximum()));
    const QString where = QStringLiteral("保存在 ") + oneLineOf(folder_);
    track_->setToolTip(where);
    track_->setText(QFontMetrics(track_->font()).elidedText(where, Qt::ElideMiddle, track_->width()));
    status_->setText(downloadSummaryText(report_, total_));
    for (const DownloadResult& result : report_.results) {
        if (result.outcome != DownloadOutcome::Unavailable && result.outcome != DownloadOutcome::Failed) continue;
        auto* item = new QListWidgetItem(unsavedLine(result), unsaved_);
        item->setToolTip(fromUtf8(result.fileName));
    }
    arrange();
    emit heightChanged();
    emit finished();
}

void DownloadPanel::resizeEvent(QResizeEvent* event) {
    ClickLabel::resizeEvent(event);
    arrange();
}

void DownloadPanel::arrange() {
    const int w = width();
    const int buttonTop = kLineHeight + kGap / 2;
    int buttonsLeft = w;
    stopButton_->setVisible(running_);
    openButton_->setVisible(!running_);
    closeButton_->setVisible(!running_);
    if (running_) {
        buttonsLeft -= 72;
        stopButton_->setGeometry(buttonsLeft, buttonTop, 72, kButtonHeight);
    } else {
        buttonsLeft -= 48;
        closeButton_->setGeometry(buttonsLeft, buttonTop, 48, kButtonHeight);
        buttonsLeft -= 84 + kGap;
        openButton_->setGeometry(buttonsLeft, buttonTop, 84, kButtonHeight);
    }
    track_->setGeometry(0, 0, w, kLineHeight);
    bar_->setGeometry(0, buttonTop + (kButtonHeight - kBarHeight) / 2, buttonsLeft - 2 * kGap, kBarHeight);
    int top = buttonTop + kButtonHeight + kGap;
    const int lines = std::max<int>(1, static_cast<int>(status_->text().count(QLatin1Char('\n'))) + 1);
    status_->setGeometry(0, top, w, lines * kLineHeight);
    top += lines * kLineHeight;
    const int unsavedRows = std::min(unsaved_->count(), kUnsavedRowsShown);
    unsaved_->setVisible(!running_ && unsavedRows > 0);
    if (unsaved_->isVisibleTo(this)) {
        top += kGap;
        unsaved_->setGeometry(0, top, w, unsavedRows * kLineHeight + 4);
        top += unsaved_->height();
    }
    const int wanted = top + kGap;
    if (wanted != height()) {
        resize(w, wanted);
        emit heightChanged();
    }
}

QString byteText(std::int64_t bytes) {
    constexpr double kKilo = 1024.0;
    const auto value = static_cast<double>(std::max<std::int64_t>(bytes, 0));
    if (value < kKilo) return QStringLiteral("%1 B").arg(static_cast<qint64>(value));
    // Each unit as long as its rounded figure stays below 1024: never "1024 KB".
    const double kilo = value / kKilo;
    if (std::round(kilo) < kKilo) return QStringLiteral("%1 KB").arg(kilo, 0, 'f', 0);
    const double mega = kilo / kKilo;
    if (std::round(mega * 10) < kKilo * 10) return QStringLiteral("%1 MB").arg(mega, 0, 'f', 1);
    return QStringLiteral("%1 GB").arg(mega / kKilo, 0, 'f', 2);
}

QString durationText(std::int64_t seconds) {
    if (seconds < 0) return QStringLiteral("--");
    const auto two = [](std::int64_t value) { return QStringLiteral("%1").arg(value, 2, 10, QLatin1Char('0')); };
    if (seconds < 3600) return QStringLiteral("%1:%2").arg(seconds / 60).arg(two(seconds % 60));
    return QStringLiteral("%1:%2:%3").arg(seconds / 3600).arg(two(seconds / 60 % 60)).arg(two(seconds % 60));
}

QString downloadProgressText(const DownloadProgress& progress) {
    return QStringLiteral("%1/%2 首 · 已接收 %3 · %4/s · 剩余 %5")
        .arg(QString::number(progress.finished), QString::number(progress.total), byteText(progress.bytesReceived),
             byteText(static_cast<std::int64_t>(progress.bytesPerSecond)), durationText(progress.secondsLeft));
}

QString downloadSummaryText(const DownloadReport& report, int total) {
    QString text;
    if (report.stopped || !report.stopMessage.empty()) {
        text = report.stopMessage.empty() ? QStringLiteral("已停止") : oneLineOf(report.stopMessage);
        const int left = total - static_cast<int>(report.results.size());
        if (left > 0) text += QStringLiteral("，还有 %1 首未下载").arg(left);
        text += QLatin1Char('\n');
    }
    return text + QStringLiteral("已保存 %1 首，已存在 %2 首，无法获取 %3 首，失败 %4 首")
                      .arg(report.saved)
                      .arg(report.alreadyThere)
                      .arg(report.unavailable)
                      .arg(report.failed);
}

QString unsavedLine(const DownloadResult& result) {
    QString reason = result.reason.empty() ? QString() : reasonText(oneLine(result.reason));
    if (reason.isEmpty())
        reason = result.outcome == DownloadOutcome::Unavailable ? QStringLiteral("无法获取") : QStringLiteral("失败");
    return QStringLiteral("%1. %2：%3").arg(result.position).arg(oneLineOf(result.title), reason);
}

}  // namespace velomir
