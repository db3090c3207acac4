#include <rapidjson/document.h>

#include <string>

#include "bench/track_readers.h"

namespace velomir::bench {
namespace {

using Value = rapidjson::Value;

const Value* member(const Value& object, const char* name) {
    if (!object.IsObject()) return nullptr;
    const auto found = object.FindMember(name);
    return found == object.MemberEnd() ? nullptr : &found->value;
}

// Numbers are parsed as strings, so every scalar but null and the booleans is a string here.
void appendText(const Value* value, std::string& out) {
    if (value == nullptr) return;
    if (value->IsString()) {
        out.append(value->GetString(), value->GetStringLength());
    } else if (value->IsNull()) {
        out += "null";
    } else if (value->IsBool()) {
        out += value->GetBool() ? "true" : "false";
    }
}

std::string textOf(const Value* object, const char* name) {
    std::string text;
    if (object != nullptr) appendText(member(*object, name), text);
    return text;
}

std::string artistField(const Value& track, const char* name) {
    std::string joined;
    const Value* artists = member(track, "artists");
    if (artists == nullptr || !artists->IsArray()) return joined;
    for (rapidjson::SizeType j = 0; j < artists->Size(); ++j) {
        if (j != 0) joined += '/';
        appendText(member((*artists)[j], name), joined);
    }
    return joined;
}

void readTrack(const Value& track, TrackFieldSink& sink) {
    const Value* album = member(track, "album");
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

int readTracksRapidJson(std::string_view answer, TrackFieldSink& sink) {
    rapidjson::Document doc;
    doc.Parse<rapidjson::kParseNumbersAsStringsFlag>(answer.data(), answer.size());
    if (doc.HasParseError()) return 0;
    const Value* result = member(doc, "result");
    const Value* tracks = result != nullptr ? member(*result, "tracks") : nullptr;
    if (tracks == nullptr || !tracks->IsArray()) return 0;
    for (const Value& track : tracks->GetArray()) readTrack(track, sink);
    return static_cast<int>(tracks->Size());
}

}  // namespace velomir::bench
