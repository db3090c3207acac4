// The grid's context menu: every row's audio address to the clipboard, or the whole list as an M3U playlist.
// Missing addresses are resolved first, many at once, on a worker.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <string>
#include <vector>

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
};

class ListActions : public QObject {
    Q_OBJECT

public:
    explicit ListActions(ListActionsSetup setup, QObject* parent = nullptr);

    // Both actions are off while a run is under way, and while the addresses of one are being resolved.
    void setRunning(bool running);
    void copyAllAudioAddresses();
    void exportM3u();

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

    ListActionsSetup setup_;
    QAction* copyAll_;
    QAction* exportM3u_;
    bool running_ = false;
    bool busy_ = false;
};

}  // namespace velomir
