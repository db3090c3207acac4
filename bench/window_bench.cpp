// velomir-bench-window: the whole road of a generated playlist through the real main window (offscreen), against
// the stand-in service on loopback, and the same through velomir-cli; also the window's start-up.
//   velomir-bench-window [--runs N]            all of it, N processes per figure (default 5), medians as a table
//   velomir-bench-window --run PORT LINK ROWS  one measured run in this process, one line of figures; ROWS -1: any
//   velomir-bench-window --startup             prints the monotonic clock at the window's first paint
#include <QApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyleFactory>
#include <QTableView>
#include <QTemporaryDir>
#include <QTimer>
#include <QWindow>
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "analysis/curl_transport.h"
#include "bench/process_runner.h"
#include "ui/companions/widget_player.h"
#include "ui/desktop/background_work.h"
#include "ui/desktop/desktop_services.h"
#include "ui/main/main_window.h"

namespace {

using Clock = std::chrono::steady_clock;
using velomir::bench::runProcess;

// This process's peak resident set, as the kernel counts it (VmHWM); exact, unlike the figure a parent is told.
long ownPeakKib() {
    std::FILE* status = std::fopen("/proc/self/status", "r");
    if (status == nullptr) return 0;
    char line[256];
    long peak = 0;
    while (std::fgets(line, sizeof line, status) != nullptr) {
        if (std::strncmp(line, "VmHWM:", 6) == 0) peak = std::strtol(line + 6, nullptr, 10);
    }
    std::fclose(status);
    return peak;
}

double msBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

std::string playlistLink(std::int64_t id) { return "http://music.163.com/#/playlist?id=" + std::to_string(id); }

// The stand-in's generated playlists: 1000001000 has 1,000 tracks, 1000010000 10,000.
std::string generatedPlaylist(int tracks) { return playlistLink(1000000000 + tracks); }

// The stand-in's answers built to hurt, by what they do.
struct HostileCase {
    const char* what;
    std::string link;
};
const HostileCase kHostileCases[] = {
    {"1,000,000 nested brackets", playlistLink(9100001)},
    {"a 50 MB name", playlistLink(9100002)},
    {"invalid UTF-8 and NULs", playlistLink(9100003)},
    {"100,000 artists on a track", playlistLink(9100004)},
    {"10,000 hidden text areas", "http://music.163.com/artist?id=9100005"},
    {"200,000 empty objects", playlistLink(9100006)},
    {"redirect to file://", playlistLink(9100007)},
    {"redirect to ftp://", playlistLink(9100008)},
};

class SilentBackend : public velomir::MediaBackend {
public:
    void play(const std::string&, StartedHandler, FailedHandler) override {}
    void stop() override {}
};

// Notes when the playlist's answer arrived and how large it was.
class TimedTransport : public velomir::HttpTransport {
public:
    explicit TimedTransport(velomir::HttpTransport& inner) : inner_(inner) {}
    velomir::HttpReply get(const velomir::HttpRequest& request) override {
        requests.fetch_add(1);
        velomir::HttpReply reply = inner_.get(request);
        if (request.body == velomir::HttpRequest::Body::Text) {
            answered = Clock::now().time_since_epoch().count();
            answerBytes = reply.body.size();
        }
        return reply;
    }

    // Written on the run's worker, read once the run is over.
    std::atomic<Clock::rep> answered{0};
    std::atomic<std::size_t> answerBytes{0};
    std::atomic<int> requests{0};

private:
    velomir::HttpTransport& inner_;
};

// The window as the program builds it, on the given transport, with its settings in a folder of its own.
struct BenchWindow {
    BenchWindow(velomir::HttpTransport& http, velomir::BackgroundWork& work) : services{http, work, clipboard, opener} {
        const QString path = folder.filePath(QStringLiteral("velomir.ini"));
        velomir::replaceFileAtomically(path.toStdString(), "[song]\nup=1\n");  // not the first start
        window = std::make_unique<velomir::MainWindow>(velomir::MainWindowSetup{
            services, path.toStdString(), [] { return std::make_unique<SilentBackend>(); }, [] {}, {}});
    }

    QTemporaryDir folder;
    velomir::SystemClipboard clipboard;
    velomir::SystemOpener opener;
    velomir::UiServices services;
    std::unique_ptr<velomir::MainWindow> window;
};

void waitUntilExposed(QWidget& window) {
    window.show();
    while (!window.windowHandle() || !window.windowHandle()->isExposed()) {
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 10);
    }
    QCoreApplication::processEvents();
}

// One run: Enter in the link box until the filled grid is painted, with the longest gap between the ticks of a
// 10 ms timer meanwhile.
int measureRun(int port, const std::string& link, int expectedRows) {
    velomir::HttpSettings settings;
    settings.serviceAddress = "127.0.0.1:" + std::to_string(port);
    velomir::BackgroundWork work;
    settings.stop = &work.stopFlag();
    velomir::CurlTransport curl(settings);
    TimedTransport http(curl);
    BenchWindow bench(http, work);
    waitUntilExposed(*bench.window);

    Clock::time_point lastTick = Clock::now();
    double longestStall = 0;
    QTimer ticker;
    QObject::connect(&ticker, &QTimer::timeout, [&] {
        const Clock::time_point now = Clock::now();
        longestStall = std::max(longestStall, msBetween(lastTick, now));
        lastTick = now;
    });
    ticker.start(10);
    auto* box = bench.window->findChild<QLineEdit*>(QStringLiteral("编辑框_链接id"));
    auto* grid = bench.window->findChild<QTableView*>(QStringLiteral("高级表格_分析列表"));
    box->setText(QString::fromStdString(link));
    box->setFocus();

    lastTick = Clock::now();
    const Clock::time_point enter = lastTick;
    bool finished = false;
    Clock::time_point ran;
    QObject::connect(bench.window.get(), &velomir::MainWindow::analysisFinished, [&] {
        finished = true;
        ran = Clock::now();
    });
    QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QCoreApplication::sendEvent(box, &press);
    QCoreApplication::sendEvent(box, &release);
    while (!finished) QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 5);
    grid->viewport()->repaint();
    QCoreApplication::processEvents();
    const Clock::time_point shown = Clock::now();
    longestStall = std::max(longestStall, msBetween(lastTick, shown));

    const Clock::time_point answeredAt{Clock::duration(http.answered.load())};
    const int rows = grid->model()->rowCount();
    if (expectedRows >= 0 && rows != expectedRows) {
        std::fprintf(stderr, "expected %d rows, the grid has %d\n", expectedRows, rows);
        return 1;
    }
    std::printf(
        "request_ms=%.1f parse_ms=%.1f grid_ms=%.1f total_ms=%.1f stall_ms=%.1f answer_bytes=%zu rows=%d "
        "peak_kib=%ld requests=%d\n",
        msBetween(enter, answeredAt), msBetween(answeredAt, ran), msBetween(ran, shown), msBetween(enter, shown),
        longestStall, http.answerBytes.load(), rows, ownPeakKib(), http.requests.load());
    return 0;
}

int measureStartup() {
    velomir::BackgroundWork work;
    velomir::HttpSettings settings;
    settings.stop = &work.stopFlag();
    velomir::CurlTransport http(settings);
    BenchWindow bench(http, work);
    // The first paint of any of its widgets starts the frame; once control is back in the event loop, the frame
    // has been painted and flushed.
    struct FirstPaint : QObject {
        bool eventFilter(QObject*, QEvent* event) override {
            if (event->type() == QEvent::Paint && !seen) {
                seen = true;
                QTimer::singleShot(0, [] {
                    std::printf("painted_ns=%lld peak_kib=%ld\n",
                                static_cast<long long>(velomir::bench::monotonicNanoseconds()), ownPeakKib());
                    std::fflush(stdout);
                    std::_Exit(0);
                });
            }
            return false;
        }
        bool seen = false;
    } filter;
    QCoreApplication::instance()->installEventFilter(&filter);
    bench.window->show();
    return QApplication::exec();
}

double median(std::vector<double> values) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double figure(const std::string& line, const char* key) {
    const std::string prefix = std::string(key) + "=";
    const std::size_t at = line.find(prefix);
    return at == std::string::npos ? 0 : std::strtod(line.c_str() + at + prefix.size(), nullptr);
}

struct Medians {
    std::vector<std::vector<double>> values;
    void add(const std::vector<double>& row) {
        values.resize(row.size());
        for (std::size_t i = 0; i < row.size(); ++i) values[i].push_back(row[i]);
    }
    double at(std::size_t i) const { return i < values.size() ? median(values[i]) : 0; }
};

// Whatever the answer, the window must end with a grid, in bounded time and memory, its events never held long.
int measureHostile(const char* self, const std::string& port, int runs) {
    std::printf(
        "\nAnswers built to hurt, medians of %d runs each through the window and through velomir-cli:\n\n"
        "| answer | window: Enter to grid | longest stall | peak memory | rows | velomir-cli | peak memory |\n"
        "|---|---:|---:|---:|---:|---:|---:|\n",
        runs);
    for (const HostileCase& hostile : kHostileCases) {
        Medians window;
        Medians cli;
        int cliStatus = 0;
        for (int i = 0; i < runs; ++i) {
            const auto shown = runProcess({self, "--run", port, hostile.link, "-1"});
            if (shown.status != 0) return 1;
            window.add({figure(shown.output, "total_ms"), figure(shown.output, "stall_ms"),
                        figure(shown.output, "peak_kib") / 1024.0, figure(shown.output, "rows")});
            const auto listed = runProcess(
                {VELOMIR_CLI_COMMAND, "--service-address", "127.0.0.1:" + port, "--format", "tsv", hostile.link},
                false);
            cli.add({listed.wallMs, listed.peakKib / 1024.0});
            cliStatus = listed.status;
        }
        std::printf("| %s | %.0f ms | %.0f ms | %.0f MiB | %.0f | %.0f ms (exit %d) | %.0f MiB |\n", hostile.what,
                    window.at(0), window.at(1), window.at(2), window.at(3), cli.at(0), cliStatus, cli.at(1));
    }
    return 0;
}

// Today's 10,000-track playlist, whose old answer is cut at 1,000, completed through a stand-in that refuses more
// than five requests a second.
int measureToday(const char* self, int runs) {
    velomir::bench::StubProcess stub(VELOMIR_STUB_COMMAND, {"--throttle", "5/1"});
    if (stub.port() <= 0) return 1;
    const std::string port = std::to_string(stub.port());
    const std::string link = "http://music.163.com/#/playlist?id=1200010000";
    Medians window;
    Medians cli;
    for (int i = 0; i < runs; ++i) {
        const auto shown = runProcess({self, "--run", port, link, "10000"});
        if (shown.status != 0) return 1;
        window.add({figure(shown.output, "total_ms"), figure(shown.output, "requests"),
                    figure(shown.output, "stall_ms"), figure(shown.output, "peak_kib") / 1024.0});
        const auto listed =
            runProcess({VELOMIR_CLI_COMMAND, "--service-address", "127.0.0.1:" + port, "--format", "tsv", link}, false);
        if (listed.status != 0) return 1;
        cli.add({listed.wallMs, listed.peakKib / 1024.0});
    }
    std::printf(
        "\nToday's 10,000-track playlist (old answer cut at 1,000) through a stand-in throttling at 5 requests a "
        "second, medians of %d runs:\n\n| front end | Enter to grid | requests | longest stall | peak memory |\n"
        "|---|---:|---:|---:|---:|\n| window | %.0f ms | %.0f | %.0f ms | %.1f MiB |\n"
        "| velomir-cli | %.0f ms (process) | | | %.1f MiB |\n",
        runs, window.at(0), window.at(1), window.at(2), window.at(3), cli.at(0), cli.at(1));
    return 0;
}

int runAll(const char* self, int runs) {
    velomir::bench::StubProcess stub(VELOMIR_STUB_COMMAND);
    if (stub.port() <= 0) return 1;
    const std::string port = std::to_string(stub.port());

    std::printf(
        "Medians of %d processes each; peak = the process's peak RSS (velomir-cli's as its parent is told: "
        "never below this measuring process's own %.0f MiB); answer size as received.\n\n",
        runs, ownPeakKib() / 1024.0);
    std::printf(
        "| front end | tracks | Enter to grid | request | parse + extraction + fill | grid shown | longest "
        "stall | peak memory | answer |\n|---|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const int tracks : {1000, 10000}) {
        Medians window;
        for (int i = 0; i < runs; ++i) {
            const auto outcome = runProcess({self, "--run", port, generatedPlaylist(tracks), std::to_string(tracks)});
            if (outcome.status != 0) return 1;
            const std::string& line = outcome.output;
            window.add({figure(line, "total_ms"), figure(line, "request_ms"), figure(line, "parse_ms"),
                        figure(line, "grid_ms"), figure(line, "stall_ms"), figure(line, "peak_kib") / 1024.0,
                        figure(line, "answer_bytes") / (1024.0 * 1024.0)});
        }
        std::printf("| window | %d | %.0f ms | %.0f ms | %.0f ms | %.0f ms | %.0f ms | %.1f MiB (%.1fx) | %.1f MiB |\n",
                    tracks, window.at(0), window.at(1), window.at(2), window.at(3), window.at(4), window.at(5),
                    window.at(5) / window.at(6), window.at(6));
        Medians cli;
        for (int i = 0; i < runs; ++i) {
            const auto outcome = runProcess({VELOMIR_CLI_COMMAND, "--service-address", "127.0.0.1:" + port, "--format",
                                             "tsv", generatedPlaylist(tracks)},
                                            false);
            if (outcome.status != 0) return 1;
            cli.add({outcome.wallMs, outcome.peakKib / 1024.0});
        }
        std::printf("| velomir-cli | %d | %.0f ms (process) | | | | | %.1f MiB | |\n", tracks, cli.at(0), cli.at(1));
    }
    Medians startup;
    for (int i = 0; i < runs; ++i) {
        const auto outcome = runProcess({self, "--startup"});
        if (outcome.status != 0) return 1;
        startup.add({(figure(outcome.output, "painted_ns") - static_cast<double>(outcome.startedNs)) / 1e6,
                     figure(outcome.output, "peak_kib") / 1024.0});
    }
    std::printf("\nStart-up, process start to the first painted window: %.0f ms (peak %.1f MiB)\n", startup.at(0),
                startup.at(1));
    if (measureHostile(self, port, runs) != 0) return 1;
    return measureToday(self, runs);
}

}  // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    const bool startup = argc >= 2 && std::strcmp(argv[1], "--startup") == 0;
    const bool run = argc >= 5 && std::strcmp(argv[1], "--run") == 0;
    if (startup || run) {
        QApplication app(argc, argv);
        QApplication::setStyle(QStyleFactory::create(QStringLiteral("Fusion")));  // as the program does
        return startup ? measureStartup() : measureRun(std::atoi(argv[2]), argv[3], std::atoi(argv[4]));
    }
    const int runs = argc >= 3 && std::strcmp(argv[1], "--runs") == 0 ? std::max(1, std::atoi(argv[2])) : 5;
    return runAll(argv[0], runs);
}
