#include <array>
#include <string>

#include "bench/track_readers.h"
#include "json/json_document.h"

namespace velomir::bench {
namespace {

constexpr std::array<std::string_view, kTrackFieldCount> kTrackFields = {
    ".mp3Url", ".artists.[n].name", ".artists.[n].id", ".album.blurPicUrl", ".album.name", ".album.id", ".name", ".id",
};
constexpr std::string_view kListMarker = ".[n].";

std::string indexed(std::string_view head, int index) {
    std::string path(head);
    path += ".[";
    path += std::to_string(index);
    path += ']';
    return path;
}

// All members of a nested list joined by "/", the list counted again before every separator as the extraction does.
std::string joinedField(JsonDocument& doc, const std::string& item, std::string_view field) {
    const std::size_t split = field.find(kListMarker);
    const std::string list = item + std::string(field.substr(0, split));
    const std::string tail(field.substr(split + kListMarker.size() - 1));
    std::string value;
    const int count = doc.count(list);
    for (int j = 1; j <= count; ++j) {
        value += doc.getText(indexed(list, j) + tail);
        if (j != doc.count(list)) value += '/';
    }
    return value;
}

}  // namespace

int readTracksOurs(std::string_view answer, TrackFieldSink& sink) {
    JsonDocument doc;
    doc.parse(answer, false);
    const int count = doc.count("result.tracks");
    for (int i = 1; i <= count; ++i) {
        const std::string item = indexed("result.tracks", i);
        for (int f = 0; f < kTrackFieldCount; ++f) {
            const std::string_view field = kTrackFields[f];
            if (field.find(kListMarker) != std::string_view::npos) {
                sink.field(f + 1, joinedField(doc, item, field));
            } else {
                sink.field(f + 1, doc.getText(item + std::string(field)));
            }
        }
    }
    return count;
}

}  // namespace velomir::bench
