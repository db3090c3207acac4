// splitObject and splitArray over a region of a loaded buffer, with the same results as the literal loops
// of the reference reader (tests/json/oracle).
// Well-formed members and elements are cut in one step from the precomputed matching closers; anything else goes
// through the literal steps (MarkedRegion). Each pair or element is handed over as soon as it is known.
#pragma once

#include <string_view>

#include "json/loaded_text.h"

namespace velomir::detail {

// Receives the pairs and elements; texts are views into the loaded buffer or into scratch texts that live until
// the call returns. Values have been through trimBlanks.
class SplitSink {
public:
    virtual void member(const LoadedText& text, std::string_view name, std::string_view value) = 0;
    virtual void element(const LoadedText& text, std::string_view value) = 0;

protected:
    ~SplitSink() = default;
};

// The region [begin, end) stands for a loaded text of its own; returns the number of pairs or elements.
int splitObjectRegion(const LoadedText& text, std::size_t begin, std::size_t end, SplitSink& sink);
int splitArrayRegion(const LoadedText& text, std::size_t begin, std::size_t end, SplitSink& sink);

// trimBlanks of the bytes [begin, end) of the loaded buffer.
std::string_view trimmedValue(const LoadedText& text, std::size_t begin, std::size_t end, std::string& scratch);

}  // namespace velomir::detail
