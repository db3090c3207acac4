// The grid's context menu: every row's audio address to the clipboard, or the whole list as an M3U playlist (missing
// addresses are resolved first, many at once, on a worker); the whole list or the selected rows downloaded.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

#include "downloads/download_engine.h"

class QAction;

namespace velomir {

class DetailPane;
class ResultGrid;
struct AnalysisOptions;
struct ResultRow;
struct RunState;
struct UiServices;

struct ListActionsSetup {
    ResultGrid* grid;
    RunState& state;
    const AnalysisOptions& options;
    UiServices& services;
    DetailPane* hints;                    // shows the copy hint
    std::function<std::string()> title;   // the playlist's title: the link box text
    std::function<QString()> chooseFile;  // where to export; empty when the user cancels; empty: a save dialog
    std::function<void(std::vector<DownloadItem>)> download;  // takes the rows to download, never none
};

class ListActions : public QObject {
    Q_OBJECT

public:
    explicit ListActions(ListActionsSetup setup, QObject* parent = nullptr);

    // Every action is off while a run is under way; copy and export also while the addresses of one are being
    // resolved.
    void setRunning(bool running);
    // The download actions are off while a download is under way.
    void setDownloading(bool downloading);
    void copyAllAudioAddresses();
    void exportM3u();
    void downloadAll();
    void downloadSelected();
    // The checkable "lyrics too" choice of the menu; its state is the caller's to keep.
    QAction* lyricsChoice() const { return downloadLyrics_; }

signals:
    // A list action has handed over its list (clipboard or file).
    void finished();

private:
    void showMenu(const QPoint& position);
    void updateEnabled();
    // Fills every address of a copy of the list on a worker, then gives the rows to `use`; the list keeps them
    // unless a run replaced it meanwhile.
    void withResolvedRows(std::function<void(const std::vector<ResultRow>&)> use);
    QString chooseFile();
    void download(const std::vector<int>& rows);

    ListActionsSetup setup_;
    QAction* copyAll_;
    QAction* exportM3u_;
    QAction* downloadAll_;
    QAction* downloadSelected_;
    QAction* downloadLyrics_;
    bool running_ = false;
    bool busy_ = false;
    bool downloading_ = false;
};

}  // namespace velomir
