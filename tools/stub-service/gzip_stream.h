// gzip compression for answer bodies, whole or piece by piece as they are sent.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "stub_answer.h"

namespace velomir {

class GzipStream {
public:
    explicit GzipStream(PieceSink sink);
    ~GzipStream();
    GzipStream(const GzipStream&) = delete;
    GzipStream& operator=(const GzipStream&) = delete;

    // False once the sink refused a piece or zlib failed; later calls then do nothing.
    bool write(std::string_view piece);
    bool finish();

    static std::string compress(std::string_view body);

private:
    bool pump(std::string_view piece, int flush);

    struct Deflater;
    std::unique_ptr<Deflater> deflater_;
    PieceSink sink_;
    bool ok_ = true;
};

}  // namespace velomir
