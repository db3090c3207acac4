#include "json/text_loader.h"

#include <array>
#include <bit>

#include "json/byte_scan.h"
#include "json/scanner_patterns.h"
#include "text/text_helpers.h"

namespace velomir::detail {

namespace {

constexpr std::size_t npos = std::string::npos;

bool oddRunBefore(std::string_view text, std::size_t q) {
    std::size_t j = q;
    while (j > 0 && text[j - 1] == '\\') --j;
    return (q - j) % 2 == 1;
}

// Double quotes that are no string delimiter in one of the two texts the patterns run on. All of them stand behind
// a backslash run: right behind it, or (for the closing-blank pattern, which sees the text after the opening-blank
// pattern removed white space in front of quotes) across white space.
struct QuoteExceptions {
    std::vector<std::size_t> opening;
    std::vector<std::size_t> closing;
    bool backslashPipe = false;  // whether the text holds "\|"
};

QuoteExceptions findQuoteExceptions(std::string_view text) {
    QuoteExceptions exceptions;
    const std::size_t n = text.size();
    for (std::size_t i = findByte(text, '\\', 0, n); i != npos; i = findByte(text, '\\', i, n)) {
        std::size_t end = i;
        while (end < n && text[end] == '\\') ++end;
        if (end < n && text[end] == '|') exceptions.backslashPipe = true;
        const bool odd = (end - i) % 2 == 1;
        if (end < n && text[end] == '"') {
            if (odd) {
                exceptions.opening.push_back(end);
                exceptions.closing.push_back(end);
            }
        } else {
            const std::size_t quote = whiteSpaceRunEnd(text, end);
            if (odd && quote > end && quote < n && text[quote] == '"') exceptions.closing.push_back(quote);
        }
        i = end;
    }
    return exceptions;
}

// Where the string literals of one of the two texts lie: delimiters pair up from the start and an unpaired last one
// opens nothing. Asked with increasing positions; counts the quotes passed in bulk and subtracts the exceptions.
class Literals {
public:
    explicit Literals(const std::vector<std::size_t>& exceptions) : exceptions_(exceptions) {}

    bool inside(std::string_view text, std::size_t x) {
        count_ += countByte(text, '"', counted_, x);
        while (nextException_ < exceptions_.size() && exceptions_[nextException_] < x) {
            --count_;
            ++nextException_;
        }
        counted_ = x;
        if (count_ % 2 == 0) return false;
        if (closeAt_ != npos && closeAt_ > x) return true;
        if (noneFrom_ <= x) return false;
        std::size_t exception = nextException_;
        for (std::size_t q = text.find('"', x); q != npos; q = text.find('"', q + 1)) {
            while (exception < exceptions_.size() && exceptions_[exception] < q) ++exception;
            if (exception == exceptions_.size() || exceptions_[exception] != q) {
                closeAt_ = q;
                return true;
            }
        }
        noneFrom_ = x;
        return false;
    }

private:
    const std::vector<std::size_t>& exceptions_;
    std::size_t nextException_ = 0;
    std::size_t counted_ = 0;
    std::size_t count_ = 0;
    std::size_t closeAt_ = npos;
    std::size_t noneFrom_ = npos;
};

class Compactor {
public:
    Compactor(std::string_view text, bool normalise, LoadEdits* edits, QuoteExceptions exceptions,
              TextIndex* index = nullptr)
        : text_(text),
          index_(index),
          normalise_(normalise),
          edits_(edits),
          exceptions_(std::move(exceptions)),
          opening_(exceptions_.opening),
          closing_(exceptions_.closing) {}

    ByteBuffer run() {
        // Normalisation turns each escaped quote into two apostrophes; compaction only removes bytes.
        out_ = ByteBuffer(text_.size() + (normalise_ ? exceptions_.opening.size() : 0));
        if (index_ != nullptr) index_->reserve(text_.size());
        std::size_t i = 0;
        const std::size_t n = text_.size();
        while (i < n) {
            std::size_t k = i;
            bool found = false;
#ifdef VELOMIR_JSON_SSE2
            // Sixteen bytes are stored whole and as many kept as come before the first one to look at. The output
            // runs ahead of the input by at most the apostrophes added, for which the buffer has room.
            while (k + 16 <= n) {
                const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text_.data() + k));
                _mm_storeu_si128(reinterpret_cast<__m128i*>(out_.tail()), v);
                const unsigned hits = sse::matches<true, '\xE3', '\\'>(text_.data() + k);
                if (hits != 0) {
                    const auto kept = static_cast<std::size_t>(std::countr_zero(hits));
                    out_.commit(kept);
                    k += kept;
                    found = true;
                    break;
                }
                out_.commit(16);
                k += 16;
                if (index_ != nullptr && out_.size() >= fed_ + kFeedStep) feed();
            }
#endif
            if (!found) {
                const std::size_t stop = findFirstOf<true, '\xE3', '\\'>(text_, k, n);
                out_.append(text_.substr(k, stop - k));
                k = stop;
            }
            if (k == n) break;
            i = text_[k] == '\\' ? copyBackslashes(k) : copyWhiteSpace(k);
            if (index_ != nullptr && out_.size() >= fed_ + kFeedStep) feed();
        }
        return std::move(out_);
    }

private:
    // Whether the byte at q is a double quote of the normalised text.
    bool isQuote(std::size_t q) const { return text_[q] == '"' && !(normalise_ && oddRunBefore(text_, q)); }

    std::size_t copyBackslashes(std::size_t i) {
        std::size_t end = i;
        while (end < text_.size() && text_[end] == '\\') ++end;
        out_.append(text_.substr(i, end - i));
        if (!normalise_ || end == text_.size() || text_[end] != '"' || (end - i) % 2 == 0) return end;
        if (edits_) edits_->quote(out_.size());
        out_.append("''");
        return end + 1;
    }

    std::size_t copyWhiteSpace(std::size_t i) {
        if (whiteSpaceAt(text_, i) == 0) {
            out_.push_back(text_[i]);
            return i + 1;
        }
        const std::size_t end = whiteSpaceRunEnd(text_, i);
        if (deletes(i, end)) {
            if (edits_) edits_->deletion(out_.size(), text_.substr(i, end - i));
        } else {
            out_.append(text_.substr(i, end - i));
        }
        return end;
    }

    // The opening-blank pattern runs first; the closing-blank pattern sees its result, where a quote may have come
    // to stand right behind a backslash.
    bool deletes(std::size_t begin, std::size_t end) {
        if (end < text_.size()) {
            const char next = text_[end];
            if (next == '"' && isQuote(end)) return true;
            if ((next == '[' || next == '{') && !opening_.inside(text_, end)) return true;
        }
        if (begin == 0) return false;
        const char previous = text_[begin - 1];
        if (previous == '"') return isQuote(begin - 1);
        return (previous == ']' || previous == '}') && !closing_.inside(text_, begin - 1);
    }

    // The index looks at what was written every so many bytes, while they are still in the cache.
    static constexpr std::size_t kFeedStep = std::size_t{16} << 10;

    void feed() {
        fed_ = out_.size();
        index_->feed(out_.view().data(), fed_);
    }

    std::string_view text_;
    TextIndex* index_;
    std::size_t fed_ = 0;  // output bytes handed to the index
    bool normalise_;
    LoadEdits* edits_;
    QuoteExceptions exceptions_;
    ByteBuffer out_;
    Literals opening_;
    Literals closing_;
};

}  // namespace

void LoadEdits::deletion(std::size_t at, std::string_view deleted) {
    marks_.emplace_back(static_cast<std::uint32_t>(at), static_cast<std::uint32_t>(deleted.size()));
    deleted_.append(deleted);
}

std::string LoadEdits::rebuild(std::string_view loaded) const {
    std::string out;
    out.reserve(loaded.size() + deleted_.size());
    std::size_t copied = 0;
    std::size_t used = 0;
    for (const auto& [at, length] : marks_) {
        out.append(loaded.substr(copied, at - copied));
        copied = at;
        if (length == kQuote) {
            out.push_back('"');
            copied += 2;
        } else {
            out.append(deleted_, used, length);
            used += length;
        }
    }
    out.append(loaded.substr(copied));
    return out;
}

std::string compactText(std::string_view text) {
    return std::string(Compactor(text, false, nullptr, findQuoteExceptions(text)).run().view());
}

LoadResult loadText(std::string_view text, LoadEdits* edits, TextIndex* index) {
    QuoteExceptions exceptions = findQuoteExceptions(text);
    if (!exceptions.backslashPipe) {
        return {Compactor(text, true, edits, std::move(exceptions), index).run(), edits != nullptr};
    }
    // Text holding "\|" goes through the three replacements as written: the parked escaped backslashes and
    // the text's own backslash-pipes can no longer be told apart afterwards.
    std::string normalised = replaceAll(text, "\\\\", "\\|\\|");
    normalised = replaceAll(normalised, "\\\"", "\\''");
    normalised = replaceAll(normalised, "\\|\\|", "\\\\");
    return {Compactor(normalised, false, nullptr, findQuoteExceptions(normalised), index).run(), false};
}

}  // namespace velomir::detail
