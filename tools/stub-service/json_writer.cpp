#include "json_writer.h"

namespace velomir {

// Every member ends in ","; close() and take() drop the last one.
void JsonWriter::key(std::string_view name) {
    if (name.empty()) return;
    out_ += '"';
    out_ += name;
    out_ += "\":";
}

JsonWriter& JsonWriter::openObject(std::string_view name) {
    key(name);
    out_ += '{';
    closers_ += '}';
    return *this;
}

JsonWriter& JsonWriter::openArray(std::string_view name) {
    key(name);
    out_ += '[';
    closers_ += ']';
    return *this;
}

JsonWriter& JsonWriter::close() {
    if (closers_.empty()) return *this;
    if (!out_.empty() && out_.back() == ',') out_.pop_back();
    out_ += closers_.back();
    out_ += ',';
    closers_.pop_back();
    return *this;
}

JsonWriter& JsonWriter::text(std::string_view name, std::string_view escapedValue) {
    key(name);
    out_ += '"';
    out_ += escapedValue;
    out_ += "\",";
    return *this;
}

JsonWriter& JsonWriter::number(std::string_view name, std::int64_t value) {
    return literal(name, std::to_string(value));
}

JsonWriter& JsonWriter::literal(std::string_view name, std::string_view rawValue) {
    key(name);
    out_ += rawValue;
    out_ += ',';
    return *this;
}

std::string JsonWriter::take() {
    while (!closers_.empty()) close();
    if (!out_.empty() && out_.back() == ',') out_.pop_back();
    std::string result;
    result.swap(out_);
    return result;
}

std::string jsonEscaped(std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 0xF];
        } else {
            out += c;
        }
    }
    return out;
}

}  // namespace velomir
