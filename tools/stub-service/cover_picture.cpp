#include "cover_picture.h"

#include <jpeglib.h>
#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <csetjmp>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

namespace velomir {
namespace {

struct Rgb {
    unsigned char r, g, b;
};

Rgb fromHue(double hue, double saturation, double value) {
    const double chroma = value * saturation;
    const double sector = std::fmod(hue, 360.0) / 60.0;
    const double middle = chroma * (1 - std::fabs(std::fmod(sector, 2.0) - 1));
    // Red, green and blue of the six hue sectors: the largest component, the middle one or none.
    const double sectors[6][3] = {{chroma, middle, 0}, {middle, chroma, 0}, {0, chroma, middle},
                                  {0, middle, chroma}, {middle, 0, chroma}, {chroma, 0, middle}};
    const double* rgb = sectors[std::clamp(static_cast<int>(sector), 0, 5)];
    const double lift = value - chroma;
    auto byte = [lift](double v) { return static_cast<unsigned char>(std::lround((v + lift) * 255)); };
    return {byte(rgb[0]), byte(rgb[1]), byte(rgb[2])};
}

// The picture as packed RGB rows.
std::vector<unsigned char> drawCover(std::uint64_t pictureId, int width, int height) {
    const std::uint64_t mixed = (pictureId ^ (pictureId >> 29)) * 0x9E3779B97F4A7C15ULL;
    const double hue = static_cast<double>(mixed >> 40) / static_cast<double>(1ULL << 24) * 360.0;
    const Rgb background = fromHue(hue, 0.55, 0.85);
    const Rgb label = fromHue(hue + 150, 0.6, 0.95);
    const Rgb vinyl{24, 24, 28};
    const double radius = std::min(width, height) * 0.42;
    std::vector<unsigned char> pixels(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 3);
    std::size_t at = 0;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const double d = std::hypot(x + 0.5 - width / 2.0, y + 0.5 - height / 2.0) / radius;
            const bool groove = d > 0.45 && d < 1 && static_cast<int>(d * 24) % 3 == 0;
            Rgb colour = d >= 1 ? background : d < 0.06 ? background : d < 0.4 ? label : vinyl;
            if (groove) colour = {40, 40, 46};
            pixels[at++] = colour.r;
            pixels[at++] = colour.g;
            pixels[at++] = colour.b;
        }
    }
    return pixels;
}

void appendBigEndian(std::string& out, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<char>((value >> shift) & 0xFF));
}

void appendChunk(std::string& out, std::string_view type, std::string_view data) {
    appendBigEndian(out, static_cast<std::uint32_t>(data.size()));
    const std::size_t typeAt = out.size();
    out += type;
    out += data;
    const auto* crcStart = reinterpret_cast<const Bytef*>(out.data() + typeAt);
    appendBigEndian(out, static_cast<std::uint32_t>(crc32(0, crcStart, static_cast<uInt>(out.size() - typeAt))));
}

struct JpegFailure {
    jpeg_error_mgr manager;
    std::jmp_buf jump;
};

[[noreturn]] void leaveJpeg(j_common_ptr info) { std::longjmp(reinterpret_cast<JpegFailure*>(info->err)->jump, 1); }

// Kept free of C++ objects with destructors between setjmp and the calls that may longjmp.
bool encodeJpeg(const unsigned char* pixels, int width, int height, unsigned char** data, unsigned long* size) {
    jpeg_compress_struct info{};
    JpegFailure failure{};
    info.err = jpeg_std_error(&failure.manager);
    failure.manager.error_exit = leaveJpeg;
    if (setjmp(failure.jump)) {
        jpeg_destroy_compress(&info);
        return false;
    }
    jpeg_create_compress(&info);
    jpeg_mem_dest(&info, data, size);
    info.image_width = static_cast<JDIMENSION>(width);
    info.image_height = static_cast<JDIMENSION>(height);
    info.input_components = 3;
    info.in_color_space = JCS_RGB;
    jpeg_set_defaults(&info);
    jpeg_set_quality(&info, 85, TRUE);
    jpeg_start_compress(&info, TRUE);
    while (info.next_scanline < info.image_height) {
        auto* row = const_cast<JSAMPROW>(pixels + static_cast<std::size_t>(info.next_scanline) * width * 3);
        jpeg_write_scanlines(&info, &row, 1);
    }
    jpeg_finish_compress(&info);
    jpeg_destroy_compress(&info);
    return true;
}

int clampSide(int side) { return std::clamp(side, 1, 1024); }

}  // namespace

std::string coverPng(std::uint64_t pictureId, int width, int height) {
    width = clampSide(width);
    height = clampSide(height);
    const std::vector<unsigned char> pixels = drawCover(pictureId, width, height);
    std::string rows;  // each row starts with filter type 0
    const std::size_t rowBytes = static_cast<std::size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        rows.push_back('\0');
        rows.append(reinterpret_cast<const char*>(pixels.data()) + y * rowBytes, rowBytes);
    }
    uLongf packedSize = compressBound(static_cast<uLong>(rows.size()));
    std::string packed(packedSize, '\0');
    if (compress2(reinterpret_cast<Bytef*>(packed.data()), &packedSize, reinterpret_cast<const Bytef*>(rows.data()),
                  static_cast<uLong>(rows.size()), Z_BEST_COMPRESSION) != Z_OK) {
        return {};
    }
    packed.resize(packedSize);
    std::string header;
    appendBigEndian(header, static_cast<std::uint32_t>(width));
    appendBigEndian(header, static_cast<std::uint32_t>(height));
    header += std::string_view("\x08\x02\x00\x00\x00", 5);  // 8-bit RGB, no interlace
    std::string png("\x89PNG\r\n\x1a\n");
    appendChunk(png, "IHDR", header);
    appendChunk(png, "IDAT", packed);
    appendChunk(png, "IEND", {});
    return png;
}

std::string coverJpeg(std::uint64_t pictureId, int width, int height) {
    width = clampSide(width);
    height = clampSide(height);
    const std::vector<unsigned char> pixels = drawCover(pictureId, width, height);
    unsigned char* data = nullptr;
    unsigned long size = 0;
    const bool encoded = encodeJpeg(pixels.data(), width, height, &data, &size);
    std::string jpeg = encoded && data ? std::string(reinterpret_cast<const char*>(data), size) : std::string();
    std::free(data);
    return jpeg;
}

}  // namespace velomir
