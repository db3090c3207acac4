// What the main window's tests share: the stand-in service, fakes of the desktop, and a window built on them.
#pragma once

#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "analysis/curl_transport.h"
#include "stub_service.h"
#include "ui/companions/widget_player.h"
#include "ui/main/desktop_services.h"
#include "ui/main/main_window.h"

namespace velomir::test {

inline constexpr char kSamplePlaylist[] = "http://music.163.com/#/playlist?id=2330887406";
inline constexpr char kSlowPlaylist[] = "http://music.163.com/#/playlist?id=9000001";

// The port of the stand-in service, started on first use; its slow fault answers after 1.5 s.
int stubPort();

// A transport that forwards to the real one, and lets a test see, hold back or rewrite what goes through.
class ProbeTransport : public HttpTransport {
public:
    explicit ProbeTransport(HttpTransport& inner) : inner_(inner) {}

    std::string fetchText(const std::string& address) override;
    std::string fetchBytes(const std::string& address) override;
    std::string redirectTarget(const std::string& address) override;

    std::vector<std::string> requests;
    std::function<bool(const std::string&)> refuse;                           // true: answer ""
    std::function<void(const std::string&)> beforeAnswer;                     // runs while the request "waits"
    std::function<std::string(const std::string&, std::string)> rewriteText;  // address, body

    int countRequests(const std::string& part) const;

private:
    std::string pass(const std::string& address, bool text);

    HttpTransport& inner_;
};

class FakeClipboard : public Clipboard {
public:
    void setText(const std::string& text) override;
    std::string text() const override { return text_; }

    bool refuses = false;
    int writes = 0;

private:
    std::string text_ = "before";
};

class FakeOpener : public DesktopOpener {
public:
    void openAddress(const std::string& address) override { opened.push_back(address); }
    std::vector<std::string> opened;
};

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

    MainWindow& window() { return *window_; }
    QString settingsPath() const;
    // Shows the window and waits until it is active, so that focus works.
    void showActive();
    // A control of the main window itself (the companion windows reuse some names).
    template <typename T = QWidget>
    T* control(const char* name);
    // Puts `link` into the link box and releases Enter there; the run is over when this returns.
    void runLink(const std::string& link);
    // Moves the grid cursor to a 1-based row (0: none) and lets the window handle it.
    void selectRow(int row);
    // Sends one tick of a timer of the window.
    void tick(const char* timerName);

    QTemporaryDir folder;
    CurlTransport curl;
    ProbeTransport http{curl};
    FakeClipboard clipboard;
    FakeOpener opener;
    bool ended = false;
    QString exportPath;  // what the export's file chooser answers

private:
    std::unique_ptr<MainWindow> window_;
};

template <typename T>
T* WindowHarness::control(const char* name) {
    for (T* found : window_->findChildren<T*>(QString::fromUtf8(name))) {
        QObject* owner = found;
        while (owner && !owner->isWidgetType()) owner = owner->parent();
        if (owner && static_cast<QWidget*>(owner)->window() == window_.get()) return found;
    }
    return nullptr;
}

QString labelText(WindowHarness& harness, const char* name);

}  // namespace velomir::test

namespace velomir::test {

// Each test file runs its own test class.
int runAnalysisFlowTests(int argc, char** argv);
int runDetailPaneTests(int argc, char** argv);
int runListActionsTests(int argc, char** argv);
int runWindowLayoutTests(int argc, char** argv);
int runSettingsTests(int argc, char** argv);

}  // namespace velomir::test
