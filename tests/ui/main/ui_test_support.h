// What the main window's tests share: the stand-in service, fakes of the desktop, and a window built on them.
#pragma once

#include <QStringList>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "analysis/curl_transport.h"
#include "stub_service.h"
#include "ui/companions/widget_player.h"
#include "ui/desktop/background_work.h"
#include "ui/desktop/desktop_services.h"
#include "ui/desktop_fakes.h"
#include "ui/main/main_window.h"

namespace velomir::test {

inline constexpr char kSamplePlaylist[] = "http://music.163.com/#/playlist?id=2330887406";

// The port of the stand-in service, started on first use.
int stubPort();

using testing::FakeClipboard;
using testing::FakeOpener;
using testing::kEventWaitMs;
using testing::ProbeTransport;

// A media back end that plays nothing and reports a start at once.
std::unique_ptr<MediaBackend> makeSilentBackend();

// Writes a settings file (its text as given).
void writeFile(const QString& path, const std::string& text);
std::string readFile(const QString& path);

// A main window on the stand-in service with fake clipboard and opener, its settings in its own folder.
class WindowHarness {
public:
    // `settingsText` is written to the settings file first; the default marks the first start as handled.
    explicit WindowHarness(int port, const std::string& settingsText = "[song]\nup=1\n");
    // Lets every task hand its result back first: a hook waiting for the windows' thread must not be stranded.
    ~WindowHarness();

    MainWindow& window() { return *window_; }
    QString settingsPath() const;
    // Shows the window and waits until it is active, so that focus works.
    void showActive();
    // A control of the main window itself (the companion windows reuse some names).
    template <typename T = QWidget>
    T* control(const char* name);
    // Puts `link` into the link box and releases Enter there; the run is over when this returns.
    void runLink(const std::string& link);
    // Waits until every task the window gave its workers has handed its result back.
    void waitForWork();
    // Moves the grid cursor to a 1-based row (0: none) and lets the window handle it; with `wait`, until the row's
    // cover has come.
    void selectRow(int row, bool wait = true);
    // Sends one tick of a timer of the window.
    void tick(const char* timerName);

    QTemporaryDir folder;
    BackgroundWork work;
    CurlTransport curl;
    ProbeTransport http{curl};
    FakeClipboard clipboard;
    FakeOpener opener;
    bool ended = false;
    QString exportPath;          // what the export's file chooser answers
    int settingsWrites = 0;      // replacements of the settings file
    QString downloadFolder;      // what the download's folder chooser answers
    QStringList foldersOffered;  // what the folder chooser was offered, one entry a question
    // Carries out the downloads instead of the engine when set; called on a worker.
    DownloadRunner fakeDownload;

private:
    QWidget strays_;  // owns the throwaway controls of failed look-ups
    std::unique_ptr<MainWindow> window_;
};

template <typename T>
T* WindowHarness::control(const char* name) {
    for (T* found : window_->findChildren<T*>(QString::fromUtf8(name))) {
        QObject* owner = found;
        while (owner && !owner->isWidgetType()) owner = owner->parent();
        if (owner && static_cast<QWidget*>(owner)->window() == window_.get()) return found;
    }
    // A mistyped name fails this test only: the test goes on with a throwaway control instead of a null pointer.
    QTest::qFail(qPrintable(QStringLiteral("no control named %1").arg(QString::fromUtf8(name))), __FILE__, __LINE__);
    if constexpr (std::is_constructible_v<T, QWidget*, const char*>) {
        return new T(&strays_, name);
    } else if constexpr (std::is_constructible_v<T, QWidget*>) {
        return new T(&strays_);
    } else if constexpr (std::is_constructible_v<T, QObject*>) {
        return new T(static_cast<QObject*>(&strays_));
    } else {
        return nullptr;
    }
}

QString labelText(WindowHarness& harness, const char* name);

// Each test file runs its own test class.
int runAnalysisFlowTests(int argc, char** argv);
int runDetailPaneTests(int argc, char** argv);
int runListActionsTests(int argc, char** argv);
int runWindowLayoutTests(int argc, char** argv);
int runSettingsTests(int argc, char** argv);
int runDownloadTests(int argc, char** argv);

}  // namespace velomir::test
