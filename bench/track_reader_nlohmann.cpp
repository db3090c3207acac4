#include <nlohmann/json.hpp>
#include <string>

#include "bench/track_readers.h"

namespace velomir::bench {
namespace {

using Json = nlohmann::json;

const Json* member(const Json& object, const char* name) {
    if (!object.is_object()) return nullptr;
    const auto found = object.find(name);
    return found == object.end() ? nullptr : &*found;
}

void appendText(const Json* value, std::string& out) {
    if (value == nullptr) return;
    if (value->is_string()) {
        out += value->get_ref<const std::string&>();
    } else {
        out += value->dump();  // numbers as written for integers, null as "null"
    }
}

std::string textOf(const Json* object, const char* name) {
    std::string text;
    if (object != nullptr) appendText(member(*object, name), text);
    return text;
}

std::string artistField(const Json& track, const char* name) {
    std::string joined;
    const Json* artists = member(track, "artists");
    if (artists == nullptr || !artists->is_array()) return joined;
    for (std::size_t j = 0; j < artists->size(); ++j) {
        if (j != 0) joined += '/';
        appendText(member((*artists)[j], name), joined);
    }
    return joined;
}

void readTrack(const Json& track, TrackFieldSink& sink) {
    const Json* album = member(track, "album");
    sink.field(1, textOf(&track, "mp3Url"));
    sink.field(2, artistField(track, "name"));
    sink.field(3, artistField(track, "id"));
    sink.field(4, textOf(album, "blurPicUrl"));
    sink.field(5, textOf(album, "name"));
    sink.field(6, textOf(album, "id"));
    sink.field(7, textOf(&track, "name"));
    sink.field(8, textOf(&track, "id"));
}

}  // namespace

int readTracksNlohmann(std::string_view answer, TrackFieldSink& sink) {
    const Json doc = Json::parse(answer.begin(), answer.end(), nullptr, false);
    const Json* result = doc.is_discarded() ? nullptr : member(doc, "result");
    const Json* tracks = result != nullptr ? member(*result, "tracks") : nullptr;
    if (tracks == nullptr || !tracks->is_array()) return 0;
    for (const Json& track : *tracks) readTrack(track, sink);
    return static_cast<int>(tracks->size());
}

}  // namespace velomir::bench
