#include "ui/main/list_actions.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QSaveFile>

#include "analysis/analysis_driver.h"
#include "analysis/audio_address.h"
#include "analysis/playlist_export.h"
#include "ui/desktop/background_work.h"
#include "ui/desktop/desktop_services.h"
#include "ui/main/detail_pane.h"
#include "ui/main/result_grid.h"

namespace velomir {

ListActions::ListActions(ListActionsSetup setup, QObject* parent)
    : QObject(parent),
      setup_(std::move(setup)),
      copyAll_(new QAction(QStringLiteral("复制所有音乐地址"), setup_.grid)),
      exportM3u_(new QAction(QStringLiteral("导出 M3U 播放列表…"), setup_.grid)),
      downloadAll_(new QAction(QStringLiteral("下载全部…"), setup_.grid)),
      downloadSelected_(new QAction(QStringLiteral("下载所选…"), setup_.grid)),
      downloadLyrics_(new QAction(QStringLiteral("下载时保存歌词"), setup_.grid)) {
    copyAll_->setObjectName(QStringLiteral("动作_复制所有音乐地址"));
    exportM3u_->setObjectName(QStringLiteral("动作_导出M3U播放列表"));
    downloadAll_->setObjectName(QStringLiteral("动作_下载全部"));
    downloadSelected_->setObjectName(QStringLiteral("动作_下载所选"));
    downloadLyrics_->setObjectName(QStringLiteral("动作_下载歌词"));
    downloadLyrics_->setCheckable(true);
    connect(copyAll_, &QAction::triggered, this, &ListActions::copyAllAudioAddresses);
    connect(exportM3u_, &QAction::triggered, this, &ListActions::exportM3u);
    connect(downloadAll_, &QAction::triggered, this, &ListActions::downloadAll);
    connect(downloadSelected_, &QAction::triggered, this, &ListActions::downloadSelected);
    connect(setup_.grid, &ResultGrid::rowsChanged, this, &ListActions::updateEnabled);
    setup_.grid->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(setup_.grid, &QWidget::customContextMenuRequested, this, &ListActions::showMenu);
    updateEnabled();
}

void ListActions::setRunning(bool running) {
    running_ = running;
    updateEnabled();
}

void ListActions::setDownloading(bool downloading) {
    downloading_ = downloading;
    updateEnabled();
}

// Only on a data row: the menu acts on the list the row belongs to.
void ListActions::showMenu(const QPoint& position) {
    if (!setup_.grid->indexAt(position).isValid()) return;
    QMenu menu(setup_.grid);
    menu.addAction(copyAll_);
    menu.addAction(exportM3u_);
    menu.addSeparator();
    menu.addAction(downloadAll_);
    menu.addAction(downloadSelected_);
    menu.addAction(downloadLyrics_);
    menu.exec(setup_.grid->viewport()->mapToGlobal(position));
}

void ListActions::updateEnabled() {
    copyAll_->setEnabled(!running_ && !busy_);
    exportM3u_->setEnabled(!running_ && !busy_);
    const bool canDownload = !running_ && !downloading_ && !setup_.state.resultRows.empty();
    downloadAll_->setEnabled(canDownload);
    downloadSelected_->setEnabled(canDownload && !setup_.grid->selectedRows().empty());
}

void ListActions::withResolvedRows(std::function<void(const std::vector<ResultRow>&)> use) {
    busy_ = true;
    updateEnabled();
    HttpTransport& http = setup_.services.http;
    const unsigned list = setup_.state.runNumber;
    setup_.services.work.run<std::vector<ResultRow>>(
        this,
        [&http, rows = setup_.state.resultRows, maxCount = setup_.options.maxCount]() mutable {
            resolveAudioAddresses(rows, http, maxCount);
            return std::move(rows);
        },
        [this, list, use = std::move(use)](std::vector<ResultRow> rows) {
            busy_ = false;
            updateEnabled();
            if (list == setup_.state.runNumber) setup_.state.resultRows = rows;
            use(rows);
            emit finished();
        });
}

void ListActions::copyAllAudioAddresses() {
    if (running_ || busy_ || setup_.state.resultRows.empty()) return;
    setup_.hints->showLoadingHint();
    withResolvedRows(
        [this](const std::vector<ResultRow>& rows) { setup_.hints->copyWithHint(audioAddressLines(rows)); });
}

void ListActions::exportM3u() {
    if (running_ || busy_ || setup_.state.resultRows.empty()) return;
    const QString path = chooseFile();
    if (path.isEmpty()) return;
    const RecordType recordType = setup_.state.currentRecordType;
    const std::string title = setup_.title ? setup_.title() : std::string();
    withResolvedRows([path, recordType, title](const std::vector<ResultRow>& rows) {
        const std::string playlist = m3uPlaylist(rows, recordType, title);
        QSaveFile file(path);
        if (!file.open(QIODevice::WriteOnly)) return;
        file.write(playlist.data(), static_cast<qint64>(playlist.size()));
        file.commit();
    });
}

void ListActions::downloadAll() {
    std::vector<int> rows(setup_.state.resultRows.size());
    for (std::size_t i = 0; i < rows.size(); ++i) rows[i] = static_cast<int>(i);
    download(rows);
}

void ListActions::downloadSelected() { download(setup_.grid->selectedRows()); }

void ListActions::download(const std::vector<int>& rows) {
    if (running_ || downloading_ || !setup_.download) return;
    const std::vector<ResultRow>& list = setup_.state.resultRows;
    std::vector<DownloadItem> items;
    for (const int row : rows) {
        if (row < 0 || row >= static_cast<int>(list.size())) continue;
        items.push_back(DownloadItem{row + 1, list[row]});
    }
    if (!items.empty()) setup_.download(std::move(items));
}

QString ListActions::chooseFile() {
    if (setup_.chooseFile) return setup_.chooseFile();
    return QFileDialog::getSaveFileName(setup_.grid->window(), QStringLiteral("导出 M3U 播放列表"),
                                        QDir::home().filePath(QStringLiteral("velomir.m3u")),
                                        QStringLiteral("M3U 播放列表 (*.m3u *.m3u8)"));
}

}  // namespace velomir
