#include "ui_test_support.h"

#include <QCoreApplication>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSignalSpy>
#include <QTimer>

#include "ui/main/result_grid.h"

namespace velomir::test {

namespace {

HttpSettings settingsFor(int port, const StopFlag& stop) {
    HttpSettings settings;
    settings.stop = &stop;
    settings.serviceAddress = "127.0.0.1:" + std::to_string(port);
    settings.timeout = std::chrono::milliseconds(kEventWaitMs);  // no test here waits for a silent answer
    return settings;
}

class SilentBackend : public MediaBackend {
public:
    void play(const std::string&, StartedHandler started, FailedHandler) override {
        if (started) started();
    }
    void stop() override {}
};

}  // namespace

int stubPort() {
    static StubService stub{StubOptions{}};
    static const int port = stub.start();
    return port;
}

std::unique_ptr<MediaBackend> makeSilentBackend() { return std::make_unique<SilentBackend>(); }

void writeFile(const QString& path, const std::string& text) {
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
    file.write(text.data(), static_cast<qint64>(text.size()));
}

std::string readFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return {};
    return file.readAll().toStdString();
}

WindowHarness::WindowHarness(int port, const std::string& settingsText) : curl(settingsFor(port, work.stopFlag())) {
    if (!settingsText.empty()) writeFile(settingsPath(), settingsText);
    MainWindowSetup setup{{http, work, clipboard, opener},
                          settingsPath().toStdString(),
                          makeSilentBackend,
                          [this] { ended = true; },
                          [this] { return exportPath; },
                          [this](const std::string& path, const std::string& text) {
                              ++settingsWrites;
                              return replaceFileAtomically(path, text);
                          }};
    setup.downloadHttp = settingsFor(port, work.stopFlag());
    setup.chooseDownloadFolder = [this](const QString& lastFolder) {
        foldersOffered.append(lastFolder);
        return downloadFolder;
    };
    setup.runDownload = [this](const std::vector<DownloadItem>& items, const DownloadOptions& options,
                               const HttpSettings& settings, DownloadObserver* observer) {
        return fakeDownload ? fakeDownload(items, options, settings, observer)
                            : downloadTracks(items, options, settings, observer);
    };
    window_ = std::make_unique<MainWindow>(std::move(setup));
}

WindowHarness::~WindowHarness() {
    if (!QTest::qWaitFor([this] { return work.pending() == 0; }, kEventWaitMs)) qWarning("tasks still pending");
}

QString WindowHarness::settingsPath() const { return folder.filePath(QStringLiteral("velomir.ini")); }

void WindowHarness::showActive() {
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get(), kEventWaitMs));
}

void WindowHarness::runLink(const std::string& link) {
    auto* box = control<QLineEdit>("编辑框_链接id");
    box->setText(QString::fromStdString(link));
    QSignalSpy started(window_.get(), &MainWindow::analysisStarted);
    QSignalSpy finished(window_.get(), &MainWindow::analysisFinished);
    QTest::keyClick(box, Qt::Key_Return);
    if (started.count() > 0) QTRY_VERIFY_WITH_TIMEOUT(finished.count() > 0, kEventWaitMs);
}

void WindowHarness::waitForWork() { QTRY_VERIFY_WITH_TIMEOUT(work.pending() == 0, kEventWaitMs); }

void WindowHarness::selectRow(int row, bool wait) {
    auto* grid = control<ResultGrid>("高级表格_分析列表");
    grid->setCurrentIndex(row > 0 ? grid->model()->index(row - 1, 0) : QModelIndex());
    QCoreApplication::processEvents();
    if (wait) waitForWork();
}

void WindowHarness::tick(const char* timerName) {
    QTimer* timer = control<QTimer>(timerName);
    QVERIFY(timer);
    QMetaObject::invokeMethod(timer, "timeout");
}

QString labelText(WindowHarness& harness, const char* name) { return harness.control<QLabel>(name)->text(); }

}  // namespace velomir::test
