// velomir-stub-service: the stand-in service on a loopback port, until SIGINT or SIGTERM.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <string_view>

#include "answer_sender.h"
#include "stub_service.h"
#include "text/text_helpers.h"

namespace {

constexpr std::string_view kUsage =
    "usage: velomir-stub-service [--port N] [--gzip] [--fault NAME] [--slow-ms N] [--era classic|today]\n"
    "                            [--throttle N/SECONDS] [--audio-delay-ms N]\n"
    "Plays the music service on 127.0.0.1 for tests and the offline demo. Prints\n"
    "\"listening on 127.0.0.1:PORT\" once ready and serves until SIGINT or SIGTERM.\n"
    "  --port N      port to bind (default 0: any free port)\n"
    "  --gzip        send JSON and HTML answers gzip-compressed\n"
    "  --fault NAME  spoil every answer: slow, no-answer, reset, truncated-gzip, huge,\n"
    "                invalid-json, redirect, cheating\n"
    "  --slow-ms N   delay of the slow fault in milliseconds (default 3000)\n"
    "  --era E       classic (default): the answers the tests were written against;\n"
    "                today: the service as it answers today, for every item\n"
    "  --throttle N/SECONDS\n"
    "                refuse requests beyond N within any SECONDS with the 406 answer\n"
    "  --audio-delay-ms N\n"
    "                hold every audio answer this long before its first byte (default 0)\n";

struct Arguments {
    int port = 0;
    velomir::StubOptions options;
    bool help = false;
};

bool isNumber(std::string_view text) {
    return !text.empty() && text.size() <= 9 && text.find_first_not_of("0123456789") == std::string_view::npos;
}

// "N/SECONDS", both positive whole numbers.
bool parseThrottle(std::string_view value, velomir::StubOptions& options) {
    const std::size_t slash = value.find('/');
    if (slash == std::string_view::npos) return false;
    const std::string_view count = value.substr(0, slash);
    const std::string_view seconds = value.substr(slash + 1);
    if (!isNumber(count) || !isNumber(seconds)) return false;
    options.throttleRequests = velomir::integerValue32(count);
    options.throttleWindow = std::chrono::seconds(velomir::integerValue32(seconds));
    return options.throttleRequests > 0 && options.throttleWindow.count() > 0;
}

// Returns an error message, or an empty text when the arguments are usable.
std::string parseArguments(int argc, char** argv, Arguments& arguments) {
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            arguments.help = true;
            continue;
        }
        if (option == "--gzip") {
            arguments.options.gzip = true;
            continue;
        }
        if (option != "--port" && option != "--fault" && option != "--slow-ms" && option != "--era" &&
            option != "--throttle" && option != "--audio-delay-ms")
            return "unknown option " + std::string(option);
        if (i + 1 >= argc) return std::string(option) + " needs a value";
        const std::string_view value = argv[++i];
        if (option == "--era") {
            if (value != "classic" && value != "today") return "unknown era " + std::string(value);
            arguments.options.era = value == "today" ? velomir::ServiceEra::Today : velomir::ServiceEra::Classic;
        } else if (option == "--throttle") {
            if (!parseThrottle(value, arguments.options)) return "bad value for --throttle: " + std::string(value);
        } else if (option == "--fault") {
            if (velomir::faultNamed(value) == velomir::Fault::None) return "unknown fault " + std::string(value);
            arguments.options.fault = value;
        } else if (!isNumber(value) || (option == "--port" && velomir::integerValue32(value) > 65535)) {
            return "bad value for " + std::string(option) + ": " + std::string(value);
        } else if (option == "--port") {
            arguments.port = velomir::integerValue32(value);
        } else if (option == "--audio-delay-ms") {
            arguments.options.audioDelayMs = velomir::integerValue32(value);
        } else {
            arguments.options.slowMs = velomir::integerValue32(value);
        }
    }
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    Arguments arguments;
    if (const std::string error = parseArguments(argc, argv, arguments); !error.empty()) {
        std::cerr << "velomir-stub-service: " << error << "\n" << kUsage;
        return 2;
    }
    if (arguments.help) {
        std::cout << kUsage;
        return 0;
    }
    // Blocked before any thread starts, so that every thread inherits the mask and sigwait receives them.
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &signals, nullptr);

    velomir::StubService service(arguments.options);
    const int port = service.start(arguments.port);
    if (port < 0) {
        std::cerr << "velomir-stub-service: cannot listen on 127.0.0.1:" << arguments.port << "\n";
        return 1;
    }
    std::cout << "listening on 127.0.0.1:" << port << std::endl;
    int received = 0;
    sigwait(&signals, &received);
    service.stop();
    return 0;
}
