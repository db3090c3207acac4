#include "mp3_tone.h"

#include <algorithm>
#include <string_view>

namespace velomir {
namespace {

// 48 kHz at 64 kbit/s gives frames of exactly 192 bytes, so no padding slots are needed.
constexpr int kFrameBytes = kToneFrameBytes;
constexpr int kShortFrameCount = 84;  // 84 x 1152 samples: 2.0 s
constexpr std::size_t kMaxAncillary = 160;
constexpr int kFullGain = 196;  // global gain of the steady part: a peak near -20 dBFS
constexpr int kFadeGranules = 16;

class BitWriter {
public:
    explicit BitWriter(std::string& out) : out_(out) {}
    void put(unsigned value, int bits) {
        for (int i = bits - 1; i >= 0; --i) putBit((value >> i) & 1U);
    }
    void put(std::string_view bits) {
        for (char bit : bits) putBit(bit == '1' ? 1U : 0U);
    }

private:
    void putBit(unsigned bit) {
        if (used_ % 8 == 0) out_.push_back('\0');
        if (bit) out_.back() = static_cast<char>(out_.back() | (0x80 >> (used_ % 8)));
        ++used_;
    }
    std::string& out_;
    int used_ = 0;
};

// Codes of the count1 quadruple table A for a single 1 in quadruple position 0..3 (lines v, w, x, y).
constexpr std::string_view kSingleOneCodes[] = {"0111", "0110", "0100", "0101"};

// One spectral line of value +-1 in the count1 region: zero quadruples up to it, its code, its sign.
std::string granuleBits(int line, bool negative) {
    std::string bits(static_cast<std::size_t>(line / 4), '1');
    bits += kSingleOneCodes[line % 4];
    bits += negative ? '1' : '0';
    return bits;
}

int gainOf(int granule, int granules) {
    const int fromEdge = std::min(granule, granules - 1 - granule);
    return kFullGain - std::max(0, kFadeGranules - fromEdge);
}

void writeSideInfo(BitWriter& bits, int lengthInBits, const int gains[2]) {
    bits.put(0, 9);  // main_data_begin: no bit reservoir
    bits.put(0, 5);  // private bits
    bits.put(0, 4);  // scfsi
    for (int g = 0; g < 2; ++g) {
        bits.put(static_cast<unsigned>(lengthInBits), 12);  // part2_3_length: no scalefactor bits
        bits.put(0, 9);                                     // big_values: everything in the count1 region
        bits.put(static_cast<unsigned>(gains[g]), 8);
        bits.put(0, 4);   // scalefac_compress
        bits.put(0, 1);   // long blocks
        bits.put(0, 15);  // table_select x 3
        bits.put(0, 7);   // region counts
        bits.put(0, 3);   // preflag, scalefac_scale, count1table_select (table A)
    }
}

}  // namespace

std::string toneMp3(std::uint64_t seed) { return toneMp3(seed, kShortFrameCount, {}); }

std::string toneMp3(std::uint64_t seed, int frameCount, std::string_view ancillary) {
    // Lines 0..9 of the first subband are out of reach of the alias butterflies, so one line is one clean tone
    // (about 210, 290 or 375 Hz). Its sign alternates per granule to keep the overlapping blocks in phase.
    const int line = 4 + 2 * static_cast<int>(seed % 3);
    const std::string positive = granuleBits(line, false);
    const std::string negative = granuleBits(line, true);
    ancillary = ancillary.substr(0, kMaxAncillary);
    std::string out;
    out.reserve(static_cast<std::size_t>(kFrameBytes) * static_cast<std::size_t>(std::max(frameCount, 0)));
    // Only the fades change the frame, so a long steady part is one frame copied.
    std::string frameBytes;
    int madeFor[2] = {-1, -1};
    for (int frame = 0; frame < frameCount; ++frame) {
        const int gains[2] = {gainOf(2 * frame, 2 * frameCount), gainOf(2 * frame + 1, 2 * frameCount)};
        if (gains[0] != madeFor[0] || gains[1] != madeFor[1]) {
            frameBytes = "\xFF\xFB\x54\xC0";  // MPEG-1 Layer III, no CRC, 64 kbit/s, 48 kHz, mono
            BitWriter bits(frameBytes);
            writeSideInfo(bits, static_cast<int>(positive.size()), gains);
            bits.put(positive);
            bits.put(negative);
            frameBytes.resize(kFrameBytes - ancillary.size(), '\0');
            frameBytes += ancillary;
            madeFor[0] = gains[0];
            madeFor[1] = gains[1];
        }
        out += frameBytes;
    }
    return out;
}

}  // namespace velomir
