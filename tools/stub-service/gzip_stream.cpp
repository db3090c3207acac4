#include "gzip_stream.h"

#include <zlib.h>

namespace velomir {

struct GzipStream::Deflater {
    z_stream stream{};
    bool ready = false;
};

GzipStream::GzipStream(PieceSink sink) : deflater_(std::make_unique<Deflater>()), sink_(std::move(sink)) {
    constexpr int kGzipWindowBits = 15 + 16;
    deflater_->ready = deflateInit2(&deflater_->stream, Z_DEFAULT_COMPRESSION, Z_DEFLATED, kGzipWindowBits, 8,
                                    Z_DEFAULT_STRATEGY) == Z_OK;
    ok_ = deflater_->ready;
}

GzipStream::~GzipStream() {
    if (deflater_->ready) deflateEnd(&deflater_->stream);
}

bool GzipStream::write(std::string_view piece) { return piece.empty() || pump(piece, Z_NO_FLUSH); }

bool GzipStream::finish() { return pump({}, Z_FINISH); }

bool GzipStream::pump(std::string_view piece, int flush) {
    if (!ok_) return false;
    z_stream& stream = deflater_->stream;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(piece.data()));
    stream.avail_in = static_cast<uInt>(piece.size());
    char buffer[32768];
    int status = Z_OK;
    do {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        status = deflate(&stream, flush);
        if (status == Z_STREAM_ERROR) return ok_ = false;
        const std::size_t produced = sizeof buffer - stream.avail_out;
        if (produced > 0 && !sink_(std::string_view(buffer, produced))) return ok_ = false;
    } while (stream.avail_out == 0 || (flush == Z_FINISH && status != Z_STREAM_END));
    return true;
}

std::string GzipStream::compress(std::string_view body) {
    std::string out;
    GzipStream stream([&out](std::string_view piece) {
        out += piece;
        return true;
    });
    stream.write(body);
    stream.finish();
    return out;
}

}  // namespace velomir
