// The JSON writer of kt-util (json.h).
#include "json.h"

#include <cmath>

#include "wording.h"

namespace ktutil {
namespace {

constexpr size_t kBlock = 1 << 16;

bool continuation(std::string_view s, size_t i) {
    return i < s.size() && (static_cast<unsigned char>(s[i]) & 0xC0) == 0x80;
}

bool in(std::string_view s, size_t i, unsigned lo, unsigned hi) {
    return i < s.size() && static_cast<unsigned char>(s[i]) >= lo && static_cast<unsigned char>(s[i]) <= hi;
}

// Length of the valid UTF-8 sequence starting at s[i] (a lead byte at or
// above 0x80), or 0: no overlong forms, no surrogates, nothing past U+10FFFF.
size_t utf8_length(std::string_view s, size_t i) {
    unsigned c = static_cast<unsigned char>(s[i]);
    if (c >= 0xC2 && c <= 0xDF)
        return continuation(s, i + 1) ? 2 : 0;
    if (c >= 0xE0 && c <= 0xEF) {
        bool second = c == 0xE0   ? in(s, i + 1, 0xA0, 0xBF)
                      : c == 0xED ? in(s, i + 1, 0x80, 0x9F)
                                  : continuation(s, i + 1);
        return second && continuation(s, i + 2) ? 3 : 0;
    }
    if (c >= 0xF0 && c <= 0xF4) {
        bool second = c == 0xF0   ? in(s, i + 1, 0x90, 0xBF)
                      : c == 0xF4 ? in(s, i + 1, 0x80, 0x8F)
                                  : continuation(s, i + 1);
        return second && continuation(s, i + 2) && continuation(s, i + 3) ? 4 : 0;
    }
    return 0;
}

} // namespace

std::string json_string(std::string_view s) {
    std::string out = "\"";
    out.reserve(s.size() + 2);
    for (size_t i = 0; i < s.size();) {
        unsigned char c = static_cast<unsigned char>(s[i]);
        if (c >= 0x80) {
            if (size_t n = utf8_length(s, i)) {
                out.append(s.substr(i, n));
                i += n;
            } else { // Latin-1: the byte is the code point
                out += static_cast<char>(0xC0 | (c >> 6));
                out += static_cast<char>(0x80 | (c & 0x3F));
                ++i;
            }
            continue;
        }
        ++i;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\r':
            out += "\\r";
            break;
        default:
            if (c < 0x20) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out += esc;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

void JsonWriter::start_value() {
    if (after_key_) {
        after_key_ = false;
        return;
    }
    if (first_.empty())
        return;
    if (!first_.back())
        buffer_ += ',';
    first_.back() = false;
    if (first_.size() == 2)
        buffer_ += '\n';
    if (buffer_.size() >= kBlock)
        flush();
}

void JsonWriter::open(char bracket) {
    start_value();
    buffer_ += bracket;
    first_.push_back(true);
}

void JsonWriter::close(char bracket) {
    first_.pop_back();
    buffer_ += bracket;
}

void JsonWriter::key(std::string_view name) {
    start_value();
    buffer_ += json_string(name);
    buffer_ += ':';
    after_key_ = true;
}

void JsonWriter::string(std::string_view bytes) {
    start_value();
    buffer_ += json_string(bytes);
}

void JsonWriter::number(double x) {
    start_value();
    buffer_ += std::isfinite(x) ? number_text(x) : "null";
}

void JsonWriter::integer(int64_t n) {
    start_value();
    buffer_ += std::to_string(n);
}

void JsonWriter::boolean(bool b) {
    start_value();
    buffer_ += b ? "true" : "false";
}

void JsonWriter::null() {
    start_value();
    buffer_ += "null";
}

void JsonWriter::text_or_null(std::string_view name, std::string_view text) {
    key(name);
    if (text.empty())
        null();
    else
        string(text);
}

void JsonWriter::flush() {
    if (!buffer_.empty())
        std::fwrite(buffer_.data(), 1, buffer_.size(), out_);
    buffer_.clear();
}

bool JsonWriter::finish() {
    buffer_ += '\n';
    flush();
    return std::fflush(out_) == 0 && !std::ferror(out_);
}

} // namespace ktutil
