// What the download tests share: small MP3 bodies, pictures, rows and the answers a scripted server gives.
#pragma once

#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>

#include <string>
#include <string_view>

#include "analysis/result_row.h"
#include "downloads/scripted_server.h"

namespace velomir::testing {

// `count` MPEG-1 Layer III frames (128 kbit/s, 44.1 kHz, 417 bytes each) whose data bytes carry `seed`, so that
// two bodies differ; 20 frames pass the shortest-song check.
inline std::string mp3Frames(int count = 24, char seed = 1) {
    std::string frames;
    for (int i = 0; i < count; ++i) {
        frames += std::string("\xFF\xFB\x90\x64", 4);
        frames += std::string(413, static_cast<char>(seed + i));
    }
    return frames;
}

inline std::string jpegBytes() { return std::string("\xFF\xD8\xFF\xE0", 4) + "picture" + std::string("\xFF\xD9", 2); }
inline std::string pngBytes() { return std::string("\x89PNG\r\n\x1A\n", 8) + "picture"; }

inline ResultRow trackRow(const std::string& id, const std::string& name, const std::string& audioAddress = {}) {
    ResultRow row;
    row.trackId = id;
    row.trackName = name;
    row.artistNames = "歌手";
    row.albumName = "专辑";
    row.albumId = "9";
    row.audioAddress = audioAddress;
    return row;
}

inline ScriptedAnswer whole(const std::string& body, const std::string& type = "audio/mpeg") {
    return {200, {{"Content-Type", type}, {"Content-Length", std::to_string(body.size())}}, body};
}

// The rest of `body` from `first` on, as a resumed request gets it.
inline ScriptedAnswer rest(const std::string& body, std::size_t first) {
    const std::string range =
        "bytes " + std::to_string(first) + "-" + std::to_string(body.size() - 1) + "/" + std::to_string(body.size());
    return {206,
            {{"Content-Type", "audio/mpeg"},
             {"Content-Range", range},
             {"Content-Length", std::to_string(body.size() - first)}},
            body.substr(first)};
}

inline ScriptedAnswer redirect(const std::string& location) { return {302, {{"Location", location}}, {}}; }

inline ScriptedAnswer status(int code, std::vector<std::pair<std::string, std::string>> headers = {}) {
    headers.emplace_back("Content-Type", "text/plain");
    headers.emplace_back("Content-Length", "2");
    return {code, std::move(headers), "no"};
}

// The byte offset a "bytes=N-" Range asks for; 0 without one.
inline std::size_t rangeStart(const ScriptedRequest& request) {
    return request.range.empty() ? 0 : std::stoul(request.range.substr(6));
}

inline TagLib::ByteVector bytesOf(const std::string& text) {
    return TagLib::ByteVector(text.data(), static_cast<unsigned int>(text.size()));
}

inline std::string utf8(const TagLib::String& text) { return text.to8Bit(true); }

// The bytes of the ID3v2 tag at the start, header included; 0 without one.
inline std::size_t tagBytes(const std::string& bytes) {
    if (!bytes.starts_with("ID3")) return 0;
    std::size_t size = 0;
    for (int i = 6; i < 10; ++i) size = (size << 7) | static_cast<unsigned char>(bytes[i]);
    return size + 10;
}

// Reads tagged bytes back as a player would.
class TagReader {
public:
    explicit TagReader(const std::string& bytes)
        : stream_(bytesOf(bytes)), file_(&stream_, TagLib::ID3v2::FrameFactory::instance(), false) {}

    TagLib::MPEG::File& file() { return file_; }
    TagLib::ID3v2::Tag& tag() { return *file_.ID3v2Tag(true); }
    TagLib::ID3v2::Frame* frame(const char* id) {
        const TagLib::ID3v2::FrameList& frames = tag().frameListMap()[id];
        return frames.isEmpty() ? nullptr : frames.front();
    }
    int count(const char* id) { return static_cast<int>(tag().frameListMap()[id].size()); }
    TagLib::String::Type encoding(const char* id) {
        return dynamic_cast<TagLib::ID3v2::TextIdentificationFrame&>(*frame(id)).textEncoding();
    }

private:
    TagLib::ByteVectorStream stream_;
    TagLib::MPEG::File file_;
};

}  // namespace velomir::testing
