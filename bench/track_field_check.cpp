#include "bench/track_field_check.h"

#include <nlohmann/json.hpp>

namespace velomir::bench {
namespace {

class FieldRecorder : public TrackFieldSink {
public:
    void field(int, std::string_view text) override { fields.emplace_back(text); }
    std::vector<std::string> fields;
};

}  // namespace

std::vector<std::string> collectFields(TrackReader reader, std::string_view answer) {
    FieldRecorder recorder;
    reader(answer, recorder);
    return std::move(recorder.fields);
}

std::string decodeEscapes(std::string_view text) {
    if (text.find('\\') == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    quoted += text;
    quoted += '"';
    const nlohmann::json decoded = nlohmann::json::parse(quoted, nullptr, false);
    return decoded.is_string() ? decoded.get<std::string>() : std::string(text);
}

std::string describeDifference(const std::vector<std::string>& expected, const std::vector<std::string>& actual) {
    if (expected.size() != actual.size()) {
        return std::to_string(actual.size()) + " fields instead of " + std::to_string(expected.size());
    }
    std::size_t differing = 0;
    std::string first;
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] == actual[i]) continue;
        if (differing++ == 0) {
            first = "track " + std::to_string(i / kTrackFieldCount + 1) + " field " +
                    std::to_string(i % kTrackFieldCount + 1) + ": \"" + actual[i] + "\" instead of \"" + expected[i] +
                    "\"";
        }
    }
    return differing == 0 ? std::string() : std::to_string(differing) + " fields differ, first at " + first;
}

}  // namespace velomir::bench
