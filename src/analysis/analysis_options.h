// The options a run reads (loaded and saved by the window's settings file).
#pragma once

namespace velomir {

struct AnalysisOptions {
    int maxCount = 100;        // `max`: most search results or radio programmes asked for, at least 1
    bool showCovers = true;    // `pic`
    bool jumpToSearch = true;  // `sou`: unrecognised input becomes a search
};

}  // namespace velomir
