#include "downloads/track_tagger.h"

#include <taglib/attachedpictureframe.h>
#include <taglib/id3v2tag.h>
#include <taglib/mpegfile.h>
#include <taglib/tbytevectorstream.h>
#include <taglib/textidentificationframe.h>
#include <taglib/unsynchronizedlyricsframe.h>

#include <memory>
#include <string_view>

#include "downloads/audio_check.h"

namespace velomir {

namespace {

constexpr char kTrackIdDescription[] = "NetEase Cloud Music ID";

TagLib::String text(const std::string& utf8) { return TagLib::String(utf8, TagLib::String::UTF8); }

TagLib::ByteVector byteVector(std::string_view bytes) {
    return TagLib::ByteVector(bytes.data(), static_cast<unsigned int>(bytes.size()));
}

// The length of an ID3v2 tag at the start of `bytes`, or 0. TagLib reads only the first of several stacked tags.
std::size_t leadingTagBytes(std::string_view bytes) {
    if (bytes.size() < 10 || !bytes.starts_with("ID3") || static_cast<unsigned char>(bytes[3]) == 0xFF) return 0;
    std::size_t size = 0;
    for (std::size_t i = 6; i < 10; ++i) {
        const auto byte = static_cast<unsigned char>(bytes[i]);
        if (byte & 0x80) return 0;
        size = (size << 7) | byte;
    }
    size += 10 + ((static_cast<unsigned char>(bytes[5]) & 0x10) ? 10 : 0);
    return size <= bytes.size() ? size : 0;
}

std::string pictureMime(std::string_view picture) {
    if (picture.starts_with("\xFF\xD8\xFF")) return "image/jpeg";
    if (picture.starts_with("\x89PNG\r\n\x1A\n")) return "image/png";
    return {};
}

void addText(TagLib::ID3v2::Tag& tag, const char* id, const std::string& value) {
    if (value.empty()) return;
    auto frame =
        std::make_unique<TagLib::ID3v2::TextIdentificationFrame>(TagLib::ByteVector(id), TagLib::String::UTF16);
    frame->setText(text(value));
    tag.addFrame(frame.release());
}

void fillTag(TagLib::ID3v2::Tag& tag, const TrackTags& tags) {
    addText(tag, "TIT2", tags.title);
    addText(tag, "TPE1", tags.artists);
    addText(tag, "TALB", tags.album);
    if (tags.trackNumber > 0) {
        std::string number = std::to_string(tags.trackNumber);
        if (tags.trackCount >= tags.trackNumber) {
            number.push_back('/');
            number += std::to_string(tags.trackCount);
        }
        addText(tag, "TRCK", number);
    }
    if (const std::string mime = pictureMime(tags.coverBytes); !mime.empty()) {
        auto frame = std::make_unique<TagLib::ID3v2::AttachedPictureFrame>();
        frame->setType(TagLib::ID3v2::AttachedPictureFrame::FrontCover);
        frame->setMimeType(mime);
        frame->setPicture(byteVector(tags.coverBytes));
        tag.addFrame(frame.release());
    }
    if (!tags.lyrics.empty()) {
        auto frame = std::make_unique<TagLib::ID3v2::UnsynchronizedLyricsFrame>(TagLib::String::UTF16);
        frame->setLanguage("und");
        frame->setText(text(tags.lyrics));
        tag.addFrame(frame.release());
    }
    if (!tags.trackId.empty()) {
        auto frame = std::make_unique<TagLib::ID3v2::UserTextIdentificationFrame>(TagLib::String::UTF16);
        frame->setDescription(kTrackIdDescription);
        frame->setText(text(tags.trackId));
        tag.addFrame(frame.release());
    }
}

}  // namespace

bool tagMp3(std::string& bytes, const TrackTags& tags) {
    if (sniffAudio(bytes) != AudioFormat::Mp3) return false;
    std::string_view audio = bytes;
    while (const std::size_t tagBytes = leadingTagBytes(audio)) audio.remove_prefix(tagBytes);

    TagLib::ByteVectorStream stream(byteVector(audio));
    TagLib::MPEG::File file(&stream, TagLib::ID3v2::FrameFactory::instance(), false);
    if (!file.isValid() || file.firstFrameOffset() < 0) return false;
    file.strip(TagLib::MPEG::File::AllTags);
    fillTag(*file.ID3v2Tag(true), tags);
    if (!file.save(TagLib::MPEG::File::ID3v2, TagLib::File::StripOthers, TagLib::ID3v2::v3,
                   TagLib::File::DoNotDuplicate)) {
        return false;
    }
    const TagLib::ByteVector* result = stream.data();
    bytes.assign(result->data(), result->size());
    return true;
}

}  // namespace velomir
