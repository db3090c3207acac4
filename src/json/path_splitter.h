// splitPath without copies: the segments are views into the path (or into texts the splitter keeps).
#pragma once

#include <deque>
#include <string>
#include <string_view>
#include <vector>

namespace velomir::detail {

class PathSplitter {
public:
    PathSplitter() = default;
    // A copy starts empty: the segments of a split are views into the splitter's own texts.
    PathSplitter(const PathSplitter&) {}
    PathSplitter& operator=(const PathSplitter&) { return *this; }

    // Splits at full stops outside quoted names, each segment through stripQuotes. The views stay valid until the
    // next split and need the path to stay alive.
    const std::vector<std::string_view>& split(std::string_view path);

private:
    const std::vector<std::string_view>& splitQuoted(std::string_view path);
    std::string& scratchFor(std::size_t segment);
    void push(std::string_view raw, bool strip);

    std::string path_;                 // the path with '' turned into double quotes, when it had any
    std::deque<std::string> scratch_;  // one per segment that stripQuotes had to rebuild; growing moves none
    std::vector<std::string_view> segments_;
};

// The nodes the last path from the root led through, so that a path beginning the same way (the next field of the
// same track) starts further down. Valid while the table stays as it is; clear it when it changes.
class PathMemo {
public:
    // Node at the end of the path from node 1, or -1; findChild(level, segment, node) is the table's lookup.
    template <typename FindChild>
    int walk(const std::vector<std::string_view>& segments, FindChild findChild) {
        std::size_t known = 0;
        while (known < segments.size() && known < segments_.size() && segments_[known] == segments[known]) ++known;
        segments_.resize(known);
        nodes_.resize(known);
        int current = known == 0 ? 1 : nodes_.back();
        for (std::size_t i = known; i < segments.size(); ++i) {
            current = findChild(static_cast<int>(i) + 2, segments[i], current);
            if (current == -1) return -1;
            segments_.emplace_back(segments[i]);
            nodes_.push_back(current);
        }
        return current;
    }
    void clear() {
        segments_.clear();
        nodes_.clear();
    }

private:
    std::vector<std::string> segments_;
    std::vector<int> nodes_;
};

}  // namespace velomir::detail
