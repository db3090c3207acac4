#include "cli/cli_options.h"

#include <charconv>

#include "analysis/curl_transport.h"
#include "analysis/link_kind.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

bool parseFormat(const std::string& name, OutputFormat& format) {
    if (name == "table")
        format = OutputFormat::Table;
    else if (name == "tsv")
        format = OutputFormat::Tsv;
    else if (name == "json")
        format = OutputFormat::Json;
    else if (name == "m3u")
        format = OutputFormat::M3u;
    else if (name == "lrc")
        format = OutputFormat::Lrc;
    else
        return false;
    return true;
}

bool parseCount(const std::string& text, int& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= 1;
}

// Handles one option that takes a value; returns an error text or "".
std::string takeValue(const std::string& name, const std::string& value, CliOptions& options) {
    if (name == "--max") {
        return parseCount(value, options.analysis.maxCount) ? "" : "--max needs a whole number of at least 1";
    }
    if (name == "--format") {
        options.formatGiven = true;
        return parseFormat(value, options.format) ? "" : "--format takes table, tsv, json, m3u or lrc";
    }
    if (name == "--retries") {
        int retries = 0;
        const char* end = value.data() + value.size();
        const auto [ptr, ec] = std::from_chars(value.data(), end, retries);
        if (ec != std::errc() || ptr != end || retries < 0 || retries > 10) return "--retries takes 0 to 10";
        options.retries = retries;
        return "";
    }
    if (name == "--download") {
        options.downloadFolder = value;
        return value.empty() ? "--download needs a folder" : "";
    }
    if (name == "--jobs") {
        return parseCount(value, options.jobs) && options.jobs <= 8 ? "" : "--jobs takes 1 to 8";
    }
    if (name == "--name-format") {
        options.nameTemplate = value;
        return isNameTemplate(value) ? ""
                                     : "--name-format takes a name with {name} {artists} {album} {index} {id}, "
                                       "braces balanced";
    }
    options.serviceAddress = value;
    return isServiceAddress(value) ? "" : "--service-address takes HOST:PORT";
}

bool takesValue(const std::string& option) {
    for (const char* name :
         {"--max", "--format", "--service-address", "--retries", "--download", "--jobs", "--name-format"}) {
        if (option == name) return true;
    }
    return false;
}

}  // namespace

CliParse parseCliArguments(const std::vector<std::string>& arguments) {
    CliParse parse;
    CliOptions& options = parse.options;
    bool onlyText = false;
    std::string downloadOnly;  // an option that means nothing without --download
    for (std::size_t i = 0; i < arguments.size() && parse.error.empty(); ++i) {
        const std::string& arg = arguments[i];
        // The search key before words is what the link box understands, not an option.
        if (onlyText || arg.empty() || arg[0] != '-' || arg == "-" || asciiLower(arg).starts_with(kSearchKey)) {
            options.text += (options.text.empty() ? "" : " ") + arg;
        } else if (arg == "--") {
            onlyText = true;
        } else if (arg == "--search") {
            options.searchMode = true;
        } else if (arg == "--resolve") {
            options.resolve = true;
        } else if (arg == "--no-auto-search") {
            options.analysis.jumpToSearch = false;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--version") {
            options.version = true;
        } else if (arg == "--lyrics") {
            options.lyrics = true;
            downloadOnly = arg;
        } else if (takesValue(arg)) {
            if (i + 1 == arguments.size())
                parse.error = arg + " needs a value";
            else
                parse.error = takeValue(arg, arguments[++i], options);
            if (arg == "--jobs" || arg == "--name-format") downloadOnly = arg;
        } else {
            parse.error = "unknown option " + arg;
        }
    }
    if (parse.error.empty() && !downloadOnly.empty() && options.downloadFolder.empty()) {
        parse.error = downloadOnly + " works only with --download DIR";
    }
    if (parse.error.empty() && !options.help && !options.version && options.text.empty()) {
        parse.error = "no TEXT given: paste a link, an ID or words to search for";
    }
    return parse;
}

const char* cliUsage() {
    static const std::string usage =
        "Usage: velomir-cli [options] TEXT...\n"
        "Lists the tracks or programmes behind a NetEase Cloud Music link, ID or search text,\n"
        "and with --download saves them into a folder.\n"
        "\n"
        "Options:\n"
        "  --search                  treat TEXT as words to search for (search mode)\n"
        "  --max N                   at most N search results or radio programmes (default 100)\n"
        "  --no-auto-search          do not search for TEXT that is not recognised\n"
        "  --format FORMAT           table (default on a terminal), tsv (default otherwise), json, m3u or lrc\n"
        "                            (lrc: the lyrics of every track, one block of tags and timed lines each)\n"
        "  --resolve                 fill in the audio addresses the answer withholds (m3u always does)\n"
        "  --retries N               ask a busy service again at most N times, after 1 s, 2 s, 4 s ... (default 3)\n"
        "  --service-address HOST:PORT\n"
        "                            send the service's requests to HOST:PORT (e.g. the stand-in service)\n"
        "  --download DIR            save the tracks (and the programmes that have audio) into DIR, created if\n"
        "                            missing, after listing them as usual\n"
        "  --jobs N                  with --download: N transfers at once, 1 to 8 (default 4)\n"
        "  --name-format TEMPLATE    with --download: file names made of {name} {artists} {album} {index} {id}\n"
        "                            (default \"{artists} - {name}\"; .mp3 is added)\n"
        "  --lyrics                  with --download: the lyrics in each file's tag and in a NAME.lrc beside it\n"
        "  --help                    show this text\n"
        "  --version                 show the version\n"
        "\n"
        "TEXT starting with " +
        std::string(kSearchKey) +
        " is searched for, as in the link box.\n"
        "\n"
        "With --format lrc, a track without lyrics, or whose lyrics could not be fetched, keeps only its tags and is\n"
        "named on stderr; rows of radio programmes are left out.\n"
        "\n"
        "With --download, each file is written as NAME.mp3.part and gets its name only when whole, checked as audio\n"
        "and tagged; a file already under its name is left alone. On a terminal a progress line shows on stderr;\n"
        "at the end stderr gets \"saved S, already there A, unavailable U, failed F\" and one line for every track\n"
        "not saved. Ctrl+C (SIGINT) or SIGTERM stops the transfers cleanly and keeps the .part files, which the\n"
        "next run resumes; a second Ctrl+C ends at once.\n"
        "\n"
        "Exit status: 0 after a run (also with no rows) and, with --download, when every track is saved or already\n"
        "there; 1 when the request failed, the service refused it or a long list ended short (the rows found are\n"
        "still printed, the cause goes to stderr), or when a track was unavailable or failed or the folder could\n"
        "not be written; 2 for wrong usage; 130 when Ctrl+C (SIGINT) stopped a download, 143 for SIGTERM.\n";
    return usage.c_str();
}

}  // namespace velomir
