// The main window: link box, mode tabs, result grid, detail pane, progress panel, download strip and settings bar,
// over the analysis driver. It is the driver's view and grid.
#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>

#include "analysis/analysis_driver.h"
#include "analysis/analysis_options.h"
#include "analysis/analysis_view.h"
#include "settings/settings_store.h"
#include "ui/companions/widget_player.h"
#include "ui/desktop/desktop_services.h"
#include "ui/main/download_panel.h"
#include "ui/main/input_modes.h"

class QFrame;
class QLineEdit;
class QPushButton;
class QTimer;

namespace velomir {

class AboutWindow;
class ClickLabel;
class DetailPane;
class ListActions;
class LyricCache;
class PreviewController;
class ProgressPanel;
class ResultGrid;
class SettingsBar;

struct MainWindowSetup {
    UiServices services;
    std::string settingsPath;
    MediaBackendFactory makeBackend;
    // Runs after the save at close, once every worker has ended; empty: leave the event loop with exit code 0.
    std::function<void()> endProcess;
    // Where the grid's M3U export goes ("" cancels); empty: a save dialog asks.
    std::function<QString()> chooseExportFile;
    // How the settings file is replaced; tests count the writes.
    FileReplacer replaceSettingsFile = replaceFileAtomically;
    // Downloads make their own requests with these (service address, certificates); each run has its stop flag.
    HttpSettings downloadHttp{};
    // The folder to download into, offered the last one chosen ("" cancels); empty: a folder dialog asks.
    std::function<QString(const QString& lastFolder)> chooseDownloadFolder{};
    // How a download runs; empty: downloadTracks.
    DownloadRunner runDownload{};
};

class MainWindow : public QWidget, public AnalysisView {
    Q_OBJECT

public:
    explicit MainWindow(MainWindowSetup setup);
    ~MainWindow() override;

    std::string linkText() const override;
    void setLinkText(const std::string& text) override;
    bool searchMode() const override;
    void switchMode(bool searchMode) override;
    void resetDetailPane() override;
    void collapseSettingsBar() override;
    void listPublished() override;
    void listGrew(bool replaced) override;

    // Starts an analysis run of the link box text on a worker, unless one is under way.
    void startAnalysis();
    // Esc: the run under way ends at its next request, keeping the rows it has.
    void stopAnalysis();
    // Writes `link` into the link box and analyses it; nothing while a run is under way.
    void analyseLink(const std::string& link);
    // Opens the about window, or raises the open one.
    void openAboutWindow();
    // Asks for a folder and downloads `items` of the list shown into it; nothing while a download runs.
    void startDownload(std::vector<DownloadItem> items);

    const RunState& runState() const { return driver_.state(); }
    const AnalysisOptions& options() const { return options_; }
    PreviewController& preview() { return *preview_; }
    DownloadPanel& downloads() { return *downloads_; }
    // The open about window, or null.
    AboutWindow* aboutWindow() const;

signals:
    // A run is about to start (emitted only for runs that really start).
    void analysisStarted();
    // A run's list has been published (or the run was dropped because the window is closing).
    void analysisFinished();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildLayout();
    void buildLeftBar(ModeControls& modes);
    void buildMiddlePanel();
    void buildRightPanel();
    void applyResizeRule();
    // The grid takes the height the download strip leaves it; the strip and the run note sit under it.
    void placeGridArea();
    QString chooseDownloadFolder();
    void connectControls();
    void connectDetailPane();
    void initialise();
    void loadSettings();
    void restorePlacement();
    void saveOptions();
    void saveAtClose();
    void showRunNote();
    QRect normalPlacement() const;

    MainWindowSetup setup_;
    AnalysisOptions options_;
    SettingsStore settings_;
    AnalysisDriver driver_;
    // The lyrics asked for this session, shared by the detail pane and the preview; it outlives both.
    std::unique_ptr<LyricCache> lyrics_;
    bool settingsLoaded_ = false;
    DownloadPreferences downloadPreferences_;

    ClickLabel* leftBar_ = nullptr;
    ClickLabel* icon_ = nullptr;
    ClickLabel* parseTab_ = nullptr;
    ClickLabel* searchTab_ = nullptr;
    ClickLabel* modeReference_ = nullptr;
    QPushButton* focusButton_ = nullptr;
    ClickLabel* redEdge_ = nullptr;
    ClickLabel* middle_ = nullptr;
    QFrame* inputFrame_ = nullptr;
    QLineEdit* linkBox_ = nullptr;
    ClickLabel* clear_ = nullptr;
    ClickLabel* parse_ = nullptr;
    ClickLabel* horizontalEdge_ = nullptr;
    ResultGrid* grid_ = nullptr;
    ProgressPanel* progress_ = nullptr;
    DownloadPanel* downloads_ = nullptr;
    ClickLabel* runNote_ = nullptr;  // under the grid: why the last list is short or empty
    QTimer* progressTimer_ = nullptr;
    ClickLabel* right_ = nullptr;
    DetailPane* detail_ = nullptr;
    SettingsBar* settingsBar_ = nullptr;
    InputModes* modes_ = nullptr;
    ListActions* listActions_ = nullptr;
    std::unique_ptr<PreviewController> preview_;
    std::shared_ptr<StopFlag> runStop_;  // the run under way's own stop flag
    QPointer<AboutWindow> about_;
};

}  // namespace velomir
