#include "ui/main/main_window.h"

#include <QAction>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QFileDialog>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>
#include <QShortcut>
#include <QTimer>

#include "ui/companions/about_window.h"
#include "ui/companions/preview_controller.h"
#include "ui/desktop/background_work.h"
#include "ui/desktop/lyric_cache.h"
#include "ui/main/click_label.h"
#include "ui/main/detail_pane.h"
#include "ui/main/download_panel.h"
#include "ui/main/list_actions.h"
#include "ui/main/progress_panel.h"
#include "ui/main/result_grid.h"
#include "ui/main/settings_bar.h"

namespace velomir {

namespace {

constexpr int kNormalState = 0;
constexpr int kMaximisedState = 3;

// Hands a run's stages from its worker to the window's thread.
class StageRelay : public RunObserver {
public:
    StageRelay(QObject* window, AnalysisDriver& driver) : window_(window), driver_(driver) {}
    void stageReached(int step) override {
        // The window waits for its workers before it goes, so it is still there when this is delivered.
        QMetaObject::invokeMethod(
            window_, [driver = &driver_, step] { driver->enterStage(step); }, Qt::QueuedConnection);
    }
    void rowsListed(LinkKind kind, std::vector<ResultRow> rows) override {
        QMetaObject::invokeMethod(
            window_,
            [driver = &driver_, kind, rows = std::move(rows)]() mutable { driver->showListed(kind, std::move(rows)); },
            Qt::QueuedConnection);
    }
    void itemsLoaded(int loaded, int total) override {
        QMetaObject::invokeMethod(
            window_, [driver = &driver_, loaded, total] { driver->noteLoaded(loaded, total); }, Qt::QueuedConnection);
    }

private:
    QObject* window_;
    AnalysisDriver& driver_;
};

void onLeftRelease(ClickLabel* control, QObject* context, std::function<void()> action) {
    QObject::connect(control, &ClickLabel::released, context, [action = std::move(action)](Qt::MouseButton button) {
        if (button == Qt::LeftButton) action();
    });
}

}  // namespace

MainWindow::MainWindow(MainWindowSetup setup)
    : setup_(std::move(setup)),
      settings_(setup_.settingsPath, setup_.replaceSettingsFile),
      driver_(*this, setup_.services.http, options_),
      lyrics_(std::make_unique<LyricCache>(setup_.services.http, setup_.services.work)) {
    buildLayout();
    preview_ = std::make_unique<PreviewController>(setup_.services, *lyrics_, setup_.makeBackend, this);
    listActions_ = new ListActions(
        {grid_, driver_.state(), options_, setup_.services, detail_, [this] { return linkText(); },
         setup_.chooseExportFile, [this](std::vector<DownloadItem> items) { startDownload(std::move(items)); }},
        this);
    connectControls();
    initialise();
}

MainWindow::~MainWindow() {
    // Workers deliver into this window and its controls: none may outlive them.
    downloads_->stop();
    setup_.services.work.stopAll();
    // The controls refer to the run state and options: let them go while those still exist.
    preview_.reset();
    qDeleteAll(findChildren<QWidget*>(Qt::FindDirectChildrenOnly));
}

std::string MainWindow::linkText() const { return linkBox_->text().toStdString(); }

void MainWindow::setLinkText(const std::string& text) { linkBox_->setText(QString::fromStdString(text)); }

bool MainWindow::searchMode() const { return modes_->mode() == kSearchMode; }

void MainWindow::switchMode(bool searchMode) { modes_->switchMode(searchMode ? kSearchMode : kParseMode); }

void MainWindow::resetDetailPane() { detail_->reset(); }

void MainWindow::collapseSettingsBar() { settingsBar_->narrow(); }

void MainWindow::listGrew(bool replaced) {
    if (replaced) {
        grid_->publish();
    } else {
        grid_->grow();
    }
}

void MainWindow::listPublished() {
    grid_->publish();
    showRunNote();
}

namespace {

// What the rows cannot say: a list the service cut short or refused, a request that failed.
QString runNoteText(const RunState& state) {
    const ListCompleteness& list = state.completeness;
    if (!list.problem.ok()) {
        const QString why = list.problem.code() == Status::Code::Stopped
                                ? QStringLiteral("已停止")
                                : QString::fromStdString(list.problem.message());
        return QStringLiteral("已列出 %1/%2 首：%3").arg(state.resultRows.size()).arg(list.declared).arg(why);
    }
    if (state.problem.code() == Status::Code::Refused) {
        return QStringLiteral("服务拒绝了请求：%1").arg(QString::fromStdString(state.problem.message()));
    }
    if (!state.problem.ok()) return QStringLiteral("请求失败：%1").arg(QString::fromStdString(state.problem.message()));
    if (list.removed > 0) return QStringLiteral("%1 首歌曲已不存在").arg(list.removed);
    return {};
}

}  // namespace

void MainWindow::showRunNote() {
    const QString text = runNoteText(driver_.state());
    runNote_->setText(QFontMetrics(runNote_->font()).elidedText(text, Qt::ElideRight, runNote_->width()));
    runNote_->setToolTip(text);
    runNote_->setVisible(!text.isEmpty());
}

void MainWindow::startAnalysis() {
    std::optional<RunInput> input = driver_.beginRun();
    if (!input) return;
    emit analysisStarted();
    runNote_->hide();
    listActions_->setRunning(true);
    HttpTransport& http = setup_.services.http;
    auto relay = std::make_shared<StageRelay>(this, driver_);
    // Its own flag, so that Esc ends this run only; closing ends every request through the workers' flag.
    runStop_ = std::make_shared<StopFlag>(false);
    setup_.services.work.run<RunResult>(
        this,
        [input = std::move(*input), &http, relay, stop = runStop_] {
            return performRun(input, http, relay.get(), stop.get());
        },
        [this](RunResult result) {
            driver_.finishRun(std::move(result));
            listActions_->setRunning(false);
            emit analysisFinished();
        });
}

void MainWindow::stopAnalysis() {
    if (driver_.running() && runStop_) runStop_->store(true);
}

void MainWindow::analyseLink(const std::string& link) {
    if (driver_.running()) return;
    setLinkText(link);
    startAnalysis();
}

void MainWindow::startDownload(std::vector<DownloadItem> items) {
    if (downloads_->running() || items.empty()) return;
    DownloadOptions options;
    options.listSize = static_cast<int>(driver_.state().resultRows.size());
    const QString folder = chooseDownloadFolder();
    if (folder.isEmpty()) return;
    downloadPreferences_.folder = folder.toStdString();
    settings_.saveDownload(downloadPreferences_);
    options.folder = downloadPreferences_.folder;
    options.lyrics = downloadPreferences_.lyrics;
    listActions_->setDownloading(true);
    downloads_->start(std::move(items), std::move(options), setup_.downloadHttp);
}

QString MainWindow::chooseDownloadFolder() {
    const QString last = QString::fromStdString(downloadPreferences_.folder);
    if (setup_.chooseDownloadFolder) return setup_.chooseDownloadFolder(last);
    return QFileDialog::getExistingDirectory(this, QStringLiteral("下载到文件夹"),
                                             last.isEmpty() ? QDir::homePath() : last);
}

AboutWindow* MainWindow::aboutWindow() const { return about_.data(); }

void MainWindow::openAboutWindow() {
    if (about_) {
        about_->raise();
        about_->activateWindow();
        return;
    }
    about_ = new AboutWindow(
        setup_.services, setup_.makeBackend, [this](const std::string& link) { analyseLink(link); }, this);
    about_->show();
}

void MainWindow::connectControls() {
    onLeftRelease(parse_, this, [this] { startAnalysis(); });
    connect(modes_, &InputModes::enterReleased, this, &MainWindow::startAnalysis);
    onLeftRelease(clear_, this, [this] { linkBox_->setText(QString()); });
    onLeftRelease(icon_, this, [this] { openAboutWindow(); });
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    escape->setObjectName(QStringLiteral("快捷键_停止"));
    connect(escape, &QShortcut::activated, this, &MainWindow::stopAnalysis);
    connect(progressTimer_, &QTimer::timeout, this, [this] {
        const RunState& state = driver_.state();
        progress_->tick(state.progressStep, state.itemsLoaded, state.itemsTotal);
    });
    connect(settingsBar_, &SettingsBar::optionsChanged, this, &MainWindow::saveOptions);
    connect(settingsBar_, &SettingsBar::coverSwitchedOn, detail_, &DetailPane::fetchCoverAgain);
    connect(settingsBar_, &SettingsBar::coverSwitchedOff, detail_, &DetailPane::showDefaultCover);
    connect(settingsBar_, &SettingsBar::focusAwayWanted, modes_, &InputModes::moveFocusAway);
    connect(downloads_, &DownloadPanel::heightChanged, this, &MainWindow::placeGridArea);
    connect(downloads_, &DownloadPanel::finished, this, [this] { listActions_->setDownloading(false); });
    connect(listActions_->lyricsChoice(), &QAction::toggled, this, [this](bool on) {
        downloadPreferences_.lyrics = on;
        if (settingsLoaded_) settings_.saveDownload(downloadPreferences_);
    });
    connectDetailPane();
}

void MainWindow::connectDetailPane() {
    // Queued: the row change fetches and waits, which must not happen inside the grid's own event handling.
    connect(grid_, &ResultGrid::cursorRowChanged, detail_, &DetailPane::showRow, Qt::QueuedConnection);
    connect(detail_, &DetailPane::cursorMoved, this, [this] {
        if (preview_->isPreviewOpen()) preview_->showPreview(driver_.state());
    });
    connect(detail_, &DetailPane::previewRequested, this, [this] { preview_->showPreview(driver_.state()); });
    connect(detail_, &DetailPane::jumpRequested, this, &MainWindow::analyseLink);
}

// Start-up order: idle, hint, default cover, empty grid, parse mode, cover switch, settings, tooltips.
void MainWindow::initialise() {
    RunState& state = driver_.state();
    state.progressStep = -1;
    linkBox_->setText(parseHint());
    detail_->showDefaultCover();
    state.columnTitles.clear();
    grid_->publish();
    modes_->switchMode(kParseMode);
    settingsBar_->applyCoverSwitch(true);
    loadSettings();
    applyResizeRule();
    detail_->createTooltips();
    // Bound only now: the start-up texts of the box must not write the defaults over the stored options.
    connect(linkBox_, &QLineEdit::textChanged, settingsBar_, &SettingsBar::collapse);
}

void MainWindow::loadSettings() {
    options_ = settings_.loadOptions();
    settingsBar_->applyJumpSwitch(options_.jumpToSearch);
    settingsBar_->applyCoverSwitch(options_.showCovers);
    settingsBar_->showMaxCount(options_.maxCount);
    downloadPreferences_ = settings_.loadDownload();
    listActions_->lyricsChoice()->setChecked(downloadPreferences_.lyrics);
    restorePlacement();
    settingsLoaded_ = true;
    if (settings_.claimFirstStart()) openAboutWindow();
}

void MainWindow::restorePlacement() {
    const int state = settings_.windowValue("wz", "0");
    setWindowState(state == kMaximisedState ? Qt::WindowMaximized : Qt::WindowNoState);
    if (state == kMaximisedState) return;
    resize(settings_.windowValue("kd", std::to_string(width())), settings_.windowValue("gd", std::to_string(height())));
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QRect available = screen ? screen->availableGeometry() : QRect(0, 0, width(), height());
    const auto centred = [](int origin, int screenSize, int windowSize) {
        return std::to_string(static_cast<int>(origin + screenSize / 2.0 - windowSize / 2.0));
    };
    const int left = settings_.windowValue("zb", centred(available.x(), available.width(), width()));
    const int top = settings_.windowValue("db", centred(available.y(), available.height(), height()));
    move(left, top);
}

void MainWindow::saveOptions() {
    if (settingsLoaded_) settings_.saveOptions(options_);
}

// The window's place as a normal window: a maximised window reports its normal geometry, moved by the frame.
QRect MainWindow::normalPlacement() const {
    if (!isMaximized() && !isMinimized()) return QRect(pos(), size());
    const QRect normal = normalGeometry();
    if (!normal.isValid()) return QRect(pos(), size());
    return QRect(normal.topLeft() - (geometry().topLeft() - pos()), normal.size());
}

// The window is put back to its normal state first, so the state stored is always the normal one (0).
void MainWindow::saveAtClose() {
    const QRect placement = normalPlacement();
    setWindowState(windowState() & ~(Qt::WindowMinimized | Qt::WindowMaximized | Qt::WindowFullScreen));
    settings_.saveWindow({kNormalState, placement.width(), placement.height(), placement.x(), placement.y()});
}

void MainWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    applyResizeRule();
    saveOptions();
}

void MainWindow::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    saveOptions();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    saveAtClose();
    event->accept();
    // A request under way ends at its next byte or second of silence; nothing it finds is shown any more. A
    // download's requests watch its own flag, and what it saved stays whole.
    downloads_->stop();
    setup_.services.work.stopAll();
    if (setup_.endProcess) {
        setup_.endProcess();
    } else {
        QCoreApplication::exit(0);
    }
}

}  // namespace velomir
