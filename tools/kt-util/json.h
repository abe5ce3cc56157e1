// The JSON that every --json form of kt-util writes: one document on
// standard output, built as the command walks its results and written in
// blocks, so that millions of points need no more memory than one block.
//
// Texts become valid UTF-8 whatever their bytes: sequences that are
// valid UTF-8 stay as they are, and every other byte is read as Latin-1
// (byte 0xE9 is "é", U+00E9), the character set of VHDL sources and of
// most older text. Control characters are escaped. Reals are written as
// the shortest text that reads back to the same value; a value without
// one (infinite, not a number) is written as null. The elements of the
// arrays directly inside the outermost object start on lines of their
// own, so that line-oriented tools can take them apart too.
#ifndef KT_TOOLS_KT_UTIL_JSON_H
#define KT_TOOLS_KT_UTIL_JSON_H

#include <cstdint>
#include <cstdio>
#include <string>
#include <string_view>
#include <vector>

namespace ktutil {

// The JSON string for the bytes, quotes included.
std::string json_string(std::string_view bytes);

class JsonWriter {
public:
    explicit JsonWriter(std::FILE *out = stdout) : out_(out) {}
    ~JsonWriter() { flush(); }
    JsonWriter(const JsonWriter &) = delete;
    JsonWriter &operator=(const JsonWriter &) = delete;

    void begin_object() { open('{'); }
    void end_object() { close('}'); }
    void begin_array() { open('['); }
    void end_array() { close(']'); }
    // Names the next value of the object being written.
    void key(std::string_view name);
    void string(std::string_view bytes);
    void number(double x);
    void integer(int64_t n);
    void boolean(bool b);
    void null();

    // A member of the object being written: its name, then its value.
    void member(std::string_view name, std::string_view text) { key(name), string(text); }
    void member(std::string_view name, const char *text) { key(name), string(text); }
    void member(std::string_view name, double x) { key(name), number(x); }
    void member(std::string_view name, int32_t n) { key(name), integer(n); }
    void member(std::string_view name, int64_t n) { key(name), integer(n); }
    void member(std::string_view name, bool b) { key(name), boolean(b); }
    // The text, or null when it is empty.
    void text_or_null(std::string_view name, std::string_view text);

    // A member holding an array of one object per item, its members
    // written by `members`.
    template <typename Items, typename Members>
    void objects(std::string_view name, const Items &items, Members members) {
        key(name);
        begin_array();
        for (const auto &item : items) {
            begin_object();
            members(item);
            end_object();
        }
        end_array();
    }

    // Ends the document with a line end and writes it out: false when
    // standard output failed.
    bool finish();

private:
    void start_value();
    void open(char bracket);
    void close(char bracket);
    void flush();

    std::FILE *out_;
    std::string buffer_;
    std::vector<bool> first_; // per open container: no element written yet
    bool after_key_ = false;
};

} // namespace ktutil

#endif
