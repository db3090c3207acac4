// splitPath without copies: the segments are views into the path (or into texts the splitter keeps).
#pragma once

#include <algorithm>
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

// Whether every byte of path from `from` on is one that PathSplitter::split leaves alone: no quote, apostrophe, white
// space, control or first byte of U+3000. The segments of such a path are the bytes between its full stops.
bool isPlainPath(std::string_view path, std::size_t from = 0);

// Length of the common beginning of a and b.
std::size_t commonLength(std::string_view a, std::string_view b);

// PathMemo for plain paths, without splitting them: the path asked last is kept as it was written, and a new one
// shares as many leading segments with it as full stops lie inside their common beginning.
class PlainPathMemo {
public:
    // False when the path is not plain (node is then untouched); else node receives what PathMemo::walk gives.
    template <typename FindChild>
    bool walk(std::string_view path, int& node, FindChild findChild) {
        const std::size_t same = commonLength(path, path_);
        if (!isPlainPath(path, same)) return false;
        std::size_t known = 0;
        while (known < ends_.size() && ends_[known] < same) ++known;
        // The same path again: its last segment is known too.
        if (same == path.size() && same == path_.size() && known < ends_.size()) ++known;
        ends_.resize(known);
        nodes_.resize(known);
        path_.assign(path);
        if (known > 0 && ends_.back() == path.size()) {
            node = nodes_.back();
            return true;
        }
        int current = known == 0 ? 1 : nodes_.back();
        std::size_t start = known == 0 ? 0 : ends_.back() + 1;
        for (std::size_t level = known + 2;; ++level) {
            std::size_t end = start;  // segments are short: a loop costs less than a search call
            while (end < path.size() && path[end] != '.') ++end;
            current = findChild(static_cast<int>(level), path.substr(start, end - start), current);
            if (current == -1) break;
            ends_.push_back(end);
            nodes_.push_back(current);
            if (end == path.size()) break;
            start = end + 1;
        }
        node = current;
        return true;
    }
    void clear() {
        path_.clear();
        ends_.clear();
        nodes_.clear();
    }

private:
    std::string path_;
    std::vector<std::size_t> ends_;  // where each segment looked up ends in path_: a full stop or the end
    std::vector<int> nodes_;
};

}  // namespace velomir::detail
