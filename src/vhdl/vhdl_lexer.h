// Tokenizer of the VHDL scanner: cuts one line into tokens at white space
// " \t\n\r" and the delimiters ";(),:=" (each a token of its own); a token
// starting with "--" ends the line. Tokens are copied into one shared buffer
// that the next token overwrites.
//
// Invariant: while a line is cut, the token buffer holds at least the line's
// length plus one byte (so at least the rest of the line plus one); it
// grows on demand and is never shrunk. next() is inline: it runs once per
// token of every line read.
#ifndef KT_SRC_VHDL_VHDL_LEXER_H
#define KT_SRC_VHDL_VHDL_LEXER_H

#include <cstddef>
#include <cstring>

namespace kt::vhdl {

struct Token {
    const char *text; // zero-terminated
    size_t len;
};

enum CharClass : unsigned char { kWordChar = 0, kSpaceChar = 1, kDelimiterChar = 2 };
struct CharClasses {
    unsigned char of[256];
};
extern const CharClasses kCharClass;

// The shared token buffer with room for len + 1 bytes, or null when it
// cannot grow.
char *token_buffer(size_t len);

class Lexer {
public:
    Lexer(const char *line, size_t len) : line_(line), len_(len), buf_(token_buffer(len)) {}

    // False at the end of the line, at a comment, or when the token buffer
    // could not grow (then no_memory() tells).
    bool next(Token &token) {
        const auto *s = reinterpret_cast<const unsigned char *>(line_);
        size_t i = pos_;
        while (i < len_ && kCharClass.of[s[i]] == kSpaceChar)
            ++i;
        if (i >= len_ || !buf_) {
            no_memory_ = i < len_;
            pos_ = len_;
            return false;
        }
        size_t start = i;
        if (kCharClass.of[s[i]] == kDelimiterChar) {
            ++i;
        } else {
            while (i < len_ && kCharClass.of[s[i]] == kWordChar)
                ++i;
            if (i - start >= 2 && s[start] == '-' && s[start + 1] == '-') {
                pos_ = len_;
                return false;
            }
        }
        size_t n = i - start;
        std::memcpy(buf_, line_ + start, n);
        buf_[n] = '\0';
        pos_ = i;
        token.text = buf_;
        token.len = n;
        return true;
    }
    bool no_memory() const { return no_memory_; }

private:
    const char *line_;
    size_t len_;
    char *buf_;
    size_t pos_ = 0;
    bool no_memory_ = false;
};

} // namespace kt::vhdl

#endif
