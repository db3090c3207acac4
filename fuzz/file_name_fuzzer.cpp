// File names from any bytes. The first byte picks the extension (ours, none, or the input's second part); the
// parts are a stem, then template rows of name, artists and ID. Every name is one safe path component within the
// byte limit, and a list's names are all different.
#include <array>
#include <cstddef>
#include <cstdint>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "downloads/file_naming.h"
#include "fuzz_support.h"

namespace {

using velomir::fuzz::require;

bool isValidUtf8(std::string_view text) {
    for (std::size_t at = 0; at < text.size();) {
        const auto lead = static_cast<unsigned char>(text[at]);
        if (lead < 0x80) {
            ++at;
            continue;
        }
        // Written apart from the code under test: by the number of leading one bits.
        const std::size_t length = lead >= 0xF8 ? 0 : lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : lead >= 0xC0 ? 2 : 0;
        if (length == 0) return false;
        constexpr std::uint32_t kSmallest[] = {0, 0, 0x80, 0x800, 0x10000};
        const std::uint32_t smallest = kSmallest[length];
        std::uint32_t value = lead & (0x7Fu >> length);
        if (text.size() - at < length) return false;
        for (std::size_t i = 1; i < length; ++i) {
            const auto next = static_cast<unsigned char>(text[at + i]);
            if ((next & 0xC0) != 0x80) return false;
            value = (value << 6) | (next & 0x3Fu);
        }
        if (value < smallest || value > 0x10FFFF || (value >= 0xD800 && value <= 0xDFFF)) return false;
        at += length;
    }
    return true;
}

void checkName(const std::string& name, std::string_view extension, std::string_view input) {
    require(!name.empty(), "a name is never empty", input);
    require(name != "." && name != "..", "a name is never . or ..", input);
    require(name.size() <= velomir::kMaxFileNameBytes, "a name fits the byte limit", input);
    require(isValidUtf8(name), "a name is valid UTF-8", input);
    for (const char c : name) {
        const auto byte = static_cast<unsigned char>(c);
        require(c != '/', "a name holds no slash", input);
        require(byte >= 0x20 && byte != 0x7F, "a name holds no NUL or control byte", input);
    }
    if (extension == ".mp3" || extension == ".lrc") require(name.ends_with(extension), "the extension is kept", input);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > (std::size_t{1} << 14)) return 0;
    const std::string_view input = velomir::fuzz::asText(data, size);
    const std::vector<std::string_view> parts = velomir::fuzz::splitParts(input.substr(1));

    static constexpr std::array<std::string_view, 3> kExtensions = {".mp3", ".lrc", ""};
    const std::size_t choice = static_cast<unsigned char>(input[0]) % 4u;
    const std::string_view extension =
        choice < kExtensions.size() ? kExtensions[choice] : (parts.size() > 1 ? parts[1] : std::string_view{});
    checkName(velomir::safeFileName(parts[0], extension), extension, input);

    // Rows of three parts; the stem part doubles as the template so that fields and braces meet the names.
    std::vector<velomir::NameFields> rows;
    for (std::size_t i = 1; i < parts.size() && rows.size() < 64; i += 3) {
        velomir::NameFields row;
        row.name = std::string(parts[i]);
        row.artists = i + 1 < parts.size() ? std::string(parts[i + 1]) : std::string();
        row.id = i + 2 < parts.size() ? std::string(parts[i + 2]) : std::string();
        row.album = row.artists;
        rows.push_back(row);
    }
    // Repeats are what the uniqueness check is about: every row once more, in the same order.
    const std::size_t firstRows = rows.size();
    for (std::size_t i = 0; i < firstRows; ++i) rows.push_back(rows[i]);
    for (std::size_t i = 0; i < rows.size(); ++i) {
        rows[i].position = static_cast<int>(i) + 1;
        rows[i].listSize = static_cast<int>(rows.size());
    }

    for (const std::string_view nameTemplate : {parts[0], velomir::kDefaultNameTemplate}) {
        const std::vector<std::string> names = velomir::planFileNames(nameTemplate, rows);
        require(names.size() == rows.size(), "one name a row", input);
        const std::set<std::string> unique(names.begin(), names.end());
        require(unique.size() == names.size(), "a list's names are unique", input);
        for (const std::string& name : names) checkName(name, ".mp3", input);
    }
    velomir::isNameTemplate(parts[0]);
    return 0;
}
