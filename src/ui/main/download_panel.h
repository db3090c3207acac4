// The download strip `面板_下载` under the grid. While a download runs: the track being saved, a bar of the tracks
// done, the bytes, speed and time left, and a stop button. At the end: what became of the list, the tracks not
// saved with their reasons, and a button that opens the folder.
#pragma once

#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/curl_transport.h"
#include "downloads/download_engine.h"
#include "ui/main/click_label.h"

class QListWidget;
class QProgressBar;
class QPushButton;

namespace velomir {

struct UiServices;

// How a run is carried out: downloadTracks, or a stand-in of it.
using DownloadRunner = std::function<DownloadReport(const std::vector<DownloadItem>&, const DownloadOptions&,
                                                    const HttpSettings&, DownloadObserver*)>;

class DownloadPanel : public ClickLabel {
    Q_OBJECT

public:
    // `run` empty: downloadTracks. The panel starts hidden.
    DownloadPanel(QWidget* parent, UiServices& services, DownloadRunner run = {});

    // Shows the panel and runs the download on a worker, its requests made with `http` and the run's own stop flag.
    // Nothing while a run is under way.
    void start(std::vector<DownloadItem> items, DownloadOptions options, HttpSettings http);
    // The run ends at its next check, keeping what it has saved.
    void stop();
    bool running() const { return running_; }
    // The last run's account; empty until one has finished.
    const DownloadReport& report() const { return report_; }
    const std::string& folder() const { return folder_; }
    void openFolder();
    // Hides the panel; only between runs.
    void dismiss();

signals:
    void started();
    // The engine's news reached the panel.
    void progressed();
    void trackFinished(int position);
    // The run has ended and its account is shown.
    void finished();
    // The panel was shown, hidden or changed its height: the window makes room for it.
    void heightChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    friend class DownloadRelay;
    void buildControls();
    void showProgress(const DownloadProgress& progress);
    void noteFinished(const DownloadResult& result);
    void finish(DownloadReport report);
    // Places the controls for the panel's width and state, and sets its height.
    void arrange();

    UiServices& services_;
    DownloadRunner run_;
    bool running_ = false;
    int total_ = 0;
    std::string folder_;
    std::shared_ptr<StopFlag> stop_;  // the run under way's own stop flag
    DownloadReport report_;

    ClickLabel* track_;
    QProgressBar* bar_;
    QPushButton* stopButton_;
    ClickLabel* status_;
    QListWidget* unsaved_;
    QPushButton* openButton_;
    QPushButton* closeButton_;
};

// "12.3 MB", "512 KB", "17 B".
QString byteText(std::int64_t bytes);
// "0:07", "12:30", "1:02:03"; "--" when not known (below 0).
QString durationText(std::int64_t seconds);
// The running line: bytes received, speed and time left.
QString downloadProgressText(const DownloadProgress& progress);
// The account of a run of `total` tracks: a first line when it ended early, then the four counts.
QString downloadSummaryText(const DownloadReport& report, int total);
// One line of the list of tracks not saved.
QString unsavedLine(const DownloadResult& result);

}  // namespace velomir
