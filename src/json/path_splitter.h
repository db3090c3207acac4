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

// Whether every byte of path from `from` on is one that PathSplitter::split leaves alone: no quote, apostrophe, white
// space, control or first byte of U+3000. The segments of such a path are the bytes between its full stops.
bool isPlainPath(std::string_view path, std::size_t from = 0);

// Length of the common beginning of a and b.
std::size_t commonLength(std::string_view a, std::string_view b);

// The nodes the last path from the root led through, so that a path beginning the same way (the next field of the
// same track) starts further down. Valid while the table stays as it is; clear it when it changes.
// The segments walked are kept one after the other in one text. A plain path is compared with that text as it is
// written, without splitting it; other paths are compared segment by segment.
class PathMemo {
public:
    // For a plain path: false when the path is not plain (node is then untouched); else node receives the node at
    // the end of the path from node 1, or -1. findChild(level, segment, node) is the table's lookup.
    template <typename FindChild>
    bool walk(std::string_view path, int& node, FindChild findChild) {
        const std::size_t same = plain_ ? commonLength(path, text_) : 0;
        if (!isPlainPath(path, same)) return false;
        std::size_t known = 0;
        while (known < ends_.size() && ends_[known] < same) ++known;
        // The same path again: its last segment is known too.
        if (same == path.size() && same == text_.size() && known < ends_.size()) ++known;
        forgetFrom(known);
        text_.assign(path);
        plain_ = true;
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

    // For the segments of any path: the node at the end of the path from node 1, or -1.
    template <typename FindChild>
    int walk(const std::vector<std::string_view>& segments, FindChild findChild) {
        std::size_t known = 0;
        while (known < segments.size() && known < ends_.size() && segment(known) == segments[known]) ++known;
        forgetFrom(known);
        // A segment may hold a full stop: the text no longer reads as a plain path.
        plain_ = false;
        int current = known == 0 ? 1 : nodes_.back();
        for (std::size_t i = known; i < segments.size(); ++i) {
            current = findChild(static_cast<int>(i) + 2, segments[i], current);
            if (current == -1) return -1;
            if (i > 0) text_.push_back('.');
            text_.append(segments[i]);
            ends_.push_back(text_.size());
            nodes_.push_back(current);
        }
        return current;
    }

    void clear() {
        text_.clear();
        ends_.clear();
        nodes_.clear();
        plain_ = true;
    }

private:
    std::string_view segment(std::size_t k) const {
        const std::size_t start = k == 0 ? 0 : ends_[k - 1] + 1;
        return std::string_view(text_).substr(start, ends_[k] - start);
    }
    // Keeps the first `known` segments walked.
    void forgetFrom(std::size_t known) {
        ends_.resize(known);
        nodes_.resize(known);
        text_.resize(known == 0 ? 0 : ends_.back());
    }

    std::string text_;               // the segments walked, each after a full stop but the first
    std::vector<std::size_t> ends_;  // where each segment walked ends in text_
    std::vector<int> nodes_;
    bool plain_ = true;  // whether text_ is a plain path whose segments are the ones walked
};

}  // namespace velomir::detail
