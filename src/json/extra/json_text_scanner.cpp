#include "json/extra/json_text_scanner.h"

#include "json/json_node_table.h"
#include "json/json_splitter.h"
#include "json/loaded_text.h"
#include "json/marked_region.h"
#include "json/node_store.h"
#include "json/scanner_patterns.h"
#include "json/text_loader.h"
#include "pattern/regex_object.h"
#include "text/text_helpers.h"

namespace velomir {

namespace {

class ListSink : public detail::SplitSink {
public:
    ListSink(JsonPairList* pairs, std::vector<std::string>* elements) : pairs_(pairs), elements_(elements) {}
    void member(const detail::LoadedText&, std::string_view name, std::string_view value) override {
        pairs_->emplace_back(name, value);
    }
    void element(const detail::LoadedText&, std::string_view value) override { elements_->emplace_back(value); }

private:
    JsonPairList* pairs_;
    std::vector<std::string>* elements_;
};

}  // namespace

JsonTextScanner::JsonTextScanner() { load({}); }
JsonTextScanner::~JsonTextScanner() = default;

JsonTextScanner::JsonTextScanner(const JsonTextScanner& other)
    : plain_(other.plain_),
      loaded_(std::make_unique<detail::LoadedText>(plain_)),
      segments_(other.segments_),
      querySegment_(other.querySegment_),
      queryResult_(other.queryResult_),
      queryZeroBased_(other.queryZeroBased_) {}

JsonTextScanner& JsonTextScanner::operator=(const JsonTextScanner& other) {
    if (this == &other) return *this;
    plain_ = other.plain_;
    loaded_ = std::make_unique<detail::LoadedText>(plain_);
    segments_ = other.segments_;
    querySegment_ = other.querySegment_;
    queryResult_ = other.queryResult_;
    queryZeroBased_ = other.queryZeroBased_;
    return *this;
}

detail::MarkedRegion JsonTextScanner::region() const { return detail::MarkedRegion(*loaded_, 0, plain_.size()); }

std::vector<std::string> JsonTextScanner::extractBlocks(std::string_view text) {
    std::vector<std::string> blocks;
    for (const std::string_view pattern : {R"re({[\s\S]+})re", R"re(\[[\s\S]+\])re"}) {
        RegexObject block;
        block.create(pattern);
        const int count = block.execute(text);
        for (int m = 1; m <= count; ++m) blocks.push_back(block.matchText(m));
    }
    return blocks;
}

std::string JsonTextScanner::queryText(std::string_view text, std::string_view path, bool zeroBased) {
    queryZeroBased_ = zeroBased;
    querySegment_ = 1;
    if (path.empty() || splitPath(path) == 0) {
        queryResult_ = compact(text);
        return queryResult_;
    }
    JsonPairList pairs;
    std::vector<std::string> elements;
    int kind = Scalar;
    splitTopLevel(text, pairs, elements, kind);
    queryResult_ = kind == Array ? queryArray(elements) : queryObject(pairs);
    return queryResult_;
}

std::string JsonTextScanner::queryArray(const std::vector<std::string>& elements) {
    if (querySegment_ < 1 || querySegment_ > static_cast<int>(segments_.size())) return {};
    const std::string& wanted = segments_[static_cast<std::size_t>(querySegment_ - 1)];
    for (std::size_t i = 1; i <= elements.size(); ++i) {
        std::string name;
        detail::appendElementName(name, static_cast<std::int64_t>(queryZeroBased_ ? i - 1 : i));
        if (wanted == name) return queryValue(elements[i - 1]);
    }
    return {};
}

std::string JsonTextScanner::queryObject(const JsonPairList& pairs) {
    if (querySegment_ < 1 || querySegment_ > static_cast<int>(segments_.size())) return {};
    const std::string& wanted = segments_[static_cast<std::size_t>(querySegment_ - 1)];
    for (const auto& [name, value] : pairs) {
        if (name == wanted) return queryValue(value);
    }
    return {};
}

std::string JsonTextScanner::queryValue(const std::string& value) {
    if (querySegment_ == static_cast<int>(segments_.size())) return restoreEscapedQuotes(stripQuotes(value));
    ++querySegment_;
    const int kind = valueKind(value);
    if (kind == Object) {
        JsonPairList pairs;
        splitObject(value, true, pairs);
        return queryObject(pairs);
    }
    if (kind == Array) {
        std::vector<std::string> elements;
        splitArray(value, true, elements);
        return queryArray(elements);
    }
    return {};
}

std::string JsonTextScanner::restoreEscapedQuotes(std::string_view text) { return replaceAll(text, "\\''", "\\\""); }

std::string JsonTextScanner::stripQuotes(std::string_view text) {
    std::string scratch;
    return std::string(detail::stripQuotes(text, scratch));
}

std::string JsonTextScanner::trimBlanks(std::string_view text) {
    std::string scratch;
    return std::string(detail::trimBlanks(text, scratch));
}

int JsonTextScanner::splitTopLevel(std::string_view text, JsonPairList& pairs, std::vector<std::string>& elements,
                                   int& kind) {
    load(text);
    const int brace = region().find('{', 1);
    const int bracket = region().find('[', 1);
    if (brace == -1 && bracket == -1) {
        // No structure at all: the text becomes the single element of an array.
        load(enclosed("[", text, "]"));
        kind = Array;
        return splitArray({}, false, elements);
    }
    if (bracket == -1 || (brace != -1 && brace < bracket)) {
        kind = Object;
        return splitObject({}, false, pairs);
    }
    kind = Array;
    return splitArray({}, false, elements);
}

int JsonTextScanner::splitObject(std::string_view text, bool loadFirst, JsonPairList& pairs) {
    if (loadFirst) load(text);
    pairs.clear();
    ListSink sink(&pairs, nullptr);
    return detail::splitObjectRegion(*loaded_, 0, plain_.size(), sink);
}

int JsonTextScanner::splitArray(std::string_view text, bool loadFirst, std::vector<std::string>& elements) {
    if (loadFirst) load(text);
    elements.clear();
    ListSink sink(nullptr, &elements);
    return detail::splitArrayRegion(*loaded_, 0, plain_.size(), sink);
}

std::string JsonTextScanner::firstMarkup(std::string_view text, int& position) {
    load(text);
    const int brace = region().find('{', 1);
    const int bracket = region().find('[', 1);
    if (brace == -1 && bracket == -1) {
        position = -1;
        return {};
    }
    const bool braceFirst = bracket == -1 || (brace != -1 && brace < bracket);
    position = braceFirst ? brace : bracket;
    return braceFirst ? "{" : "[";
}

int JsonTextScanner::splitPath(std::string_view path) {
    const std::vector<std::string_view>& segments = splitter_.split(path);
    segments_.assign(segments.begin(), segments.end());
    return static_cast<int>(segments_.size());
}

int JsonTextScanner::pathSegments(std::vector<std::string>& out) const {
    out = segments_;
    return static_cast<int>(out.size());
}

std::string JsonTextScanner::normalisePath(std::string_view path, int mode) {
    return detail::normalisePath(path, mode);
}

std::string JsonTextScanner::compact(std::string_view text) { return detail::compactText(text); }

void JsonTextScanner::load(std::string_view text) {
    plain_ = std::string(detail::loadText(text).text.view());
    loaded_ = std::make_unique<detail::LoadedText>(plain_);
}

bool JsonTextScanner::isBalanced(int a, int b) const { return region().isBalanced(a, b); }

std::string JsonTextScanner::readMemberName(int position, int& end) const {
    std::string scratch;
    return std::string(region().readMemberName(position, end, scratch));
}

std::string JsonTextScanner::readMemberValue(int colon, int& end) const {
    return std::string(region().readMemberValue(colon, end));
}

std::string JsonTextScanner::textBetween(int a, int b, bool inclusive) const {
    return std::string(region().textBetween(a, b, inclusive));
}

bool JsonTextScanner::isQuoteCountEven(int a, int b) const { return region().quotesBetween(a, b) % 2 == 0; }

}  // namespace velomir
