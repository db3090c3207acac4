#include "json/oracle/oracle_marked_text.h"

#include <algorithm>
#include <utility>

namespace velomir::oracle {

std::vector<bool> stringInteriors(std::string_view text, bool backslashEscapes) {
    std::vector<std::size_t> delimiters;
    std::size_t backslashes = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '"' && (!backslashEscapes || backslashes % 2 == 0)) delimiters.push_back(i);
        backslashes = text[i] == '\\' ? backslashes + 1 : 0;
    }
    std::vector<bool> inside(text.size(), false);
    for (std::size_t k = 0; k + 1 < delimiters.size(); k += 2) {
        for (std::size_t j = delimiters[k] + 1; j < delimiters[k + 1]; ++j) inside[j] = true;
    }
    return inside;
}

MarkedText::MarkedText(std::string plain) : plain_(std::move(plain)), marked_(plain_) {
    // The loader has already turned escaped quotes into two apostrophes: every double quote left delimits.
    const std::vector<bool> inside = stringInteriors(plain_, false);
    for (std::size_t i = 0; i < marked_.size(); ++i) {
        if (inside[i]) marked_[i] = ' ';
    }
}

int MarkedText::next(char token, int from) const {
    for (int i = std::max(from, 1); i <= length(); ++i) {
        if (marked_[static_cast<std::size_t>(i - 1)] == token) return i;
    }
    return -1;
}

std::string MarkedText::between(int a, int b) const {
    std::string out;
    for (int i = std::max(a + 1, 1); i < b && i <= length(); ++i) out += plain_[static_cast<std::size_t>(i - 1)];
    return out;
}

bool MarkedText::balanced(int a, int b) const {
    if (a == -1 || b == -1) return false;
    std::string span;
    for (int i = std::max(a + 1, 1); i < b && i <= length(); ++i) span += marked_[static_cast<std::size_t>(i - 1)];
    const auto number = [&span](char c) { return std::count(span.begin(), span.end(), c); };
    return number('{') == number('}') && number('[') == number(']') && number('"') % 2 == 0;
}

char MarkedText::markedAt(int position) const {
    return position >= 1 && position <= length() ? marked_[static_cast<std::size_t>(position - 1)] : '\0';
}

bool MarkedText::readName(int position, int& colon, std::string& name) const {
    int from = position;
    // Anywhere but at a "{" or ",", the member starts at the next "{" when there is one.
    if (markedAt(from) != '{' && markedAt(from) != ',') {
        const int brace = next('{', from);
        if (brace != -1) from = brace;
    }
    // Colons between the first two quotes from there belong to the name.
    const int nameOpens = next('"', from);
    const int nameCloses = next('"', nameOpens + 1);
    colon = next(':', from + 1);
    while (colon != -1 && colon >= nameOpens && colon <= nameCloses) colon = next(':', colon + 1);
    if (colon == -1) return false;
    name = between(from, colon);
    return true;
}

int MarkedText::valueEnd(int colon) const {
    int stop = colon;
    int lastPlainStop = 0;
    while (true) {
        bool throughOpener = false;
        stop = nextValueStop(stop, throughOpener);
        if (stop == -1) return -1;
        // A comma, brace or text end at or before the last one means the scan no longer moves on.
        if (!throughOpener) {
            if (stop <= lastPlainStop) return -1;
            lastPlainStop = stop;
        }
        if (balanced(colon, stop)) return stop;
    }
}

// The first comma or "}" after `after`, or the text end when neither follows. An opening bracket before it (else
// an opening brace) replaces it with the first "]" (else "}") behind that opener, even when that one is not its own.
int MarkedText::nextValueStop(int after, bool& throughOpener) const {
    const int comma = next(',', after + 1);
    const int closingBrace = next('}', after + 1);
    int stop = length() + 1;
    if (comma != -1) stop = comma;
    if (closingBrace != -1 && closingBrace < stop) stop = closingBrace;
    const int openingBracket = next('[', after + 1);
    const int openingBrace = next('{', after + 1);
    throughOpener = true;
    if (openingBracket != -1 && openingBracket < stop) return next(']', openingBracket + 1);
    if (openingBrace != -1 && openingBrace < stop) return next('}', openingBrace + 1);
    throughOpener = false;
    return stop;
}

int MarkedText::elementEnd(int start) const {
    // Candidates in turn: every comma after start, then every "]" after the last of those commas.
    int lastComma = start;
    for (int comma = next(',', start + 1); comma != -1; comma = next(',', comma + 1)) {
        if (balanced(start, comma)) return comma;
        lastComma = comma;
    }
    for (int bracket = next(']', lastComma + 1); bracket != -1; bracket = next(']', bracket + 1)) {
        if (balanced(start, bracket)) return bracket;
    }
    return -1;
}

}  // namespace velomir::oracle
