// The fast JSON reader against the reference reader (json/oracle) on arbitrary bytes: the whole node table, the queries
// on every node's path and on paths derived from them, and the scanner's text operations on the raw input.
// The first byte chooses element numbering from 0 or 1; the rest is the document.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "json/extra/json_text_scanner.h"
#include "json/json_differential.h"
#include "json/oracle/oracle_json_text_scanner.h"

namespace {

void require(bool same, const char* what, std::string_view input) {
    if (same) return;
    std::fprintf(stderr, "difference in %s for input of %zu bytes\n", what, input.size());
    std::abort();
}

// Text operations that take any bytes; the node-table comparison reaches them only through well-placed values.
void compareTextOperations(std::string_view text) {
    velomir::oracle::JsonTextScanner reference;
    require(velomir::JsonTextScanner::stripQuotes(text) == reference.stripQuotes(text), "stripQuotes", text);
    require(velomir::JsonTextScanner::trimBlanks(text) == reference.trimBlanks(text), "trimBlanks", text);
    require(velomir::JsonTextScanner::compact(text) == reference.compact(text), "compact", text);
    for (const int mode : {0, 1}) {
        require(velomir::JsonTextScanner::normalisePath(text, mode) ==
                    velomir::oracle::JsonTextScanner::normalisePath(text, mode),
                "normalisePath", text);
    }
    velomir::JsonTextScanner fast;
    std::vector<std::string> fastSegments;
    std::vector<std::string> referenceSegments;
    fast.splitPath(text);
    fast.pathSegments(fastSegments);
    reference.splitPath(text);
    reference.pathSegments(referenceSegments);
    require(fastSegments == referenceSegments, "splitPath", text);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0 || size > 4096) return 0;  // the reference is quadratic; small inputs find the same faults
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);
    const bool zeroBased = (data[0] & 1) != 0;
    compareTextOperations(text);
    const std::string difference = velomir::testing::JsonDifference(text, zeroBased, data[0], 12).run();
    if (!difference.empty()) {
        std::fprintf(stderr, "%s\n", difference.c_str());
        std::abort();
    }
    return 0;
}
