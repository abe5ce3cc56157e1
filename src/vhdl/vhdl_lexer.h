// Tokenizer of the VHDL scanner: cuts a source text into lines at "\n" and
// each line into tokens at white space " \t\r" and the delimiters ";(),:="
// (each a token of its own). A token starting with "--" ends its line, and
// so does a zero byte (a line is the text up to it).
//
// Invariants: the text is the caller's and writable one byte past its end,
// where a line end is kept as a sentinel, so no loop needs a bound check.
// A token is not copied: the byte behind it is replaced by a zero byte
// while the token is handed out and put back by the next call, so the text
// is whole again between tokens. next() is inline: it runs once per token.
#ifndef KT_SRC_VHDL_VHDL_LEXER_H
#define KT_SRC_VHDL_VHDL_LEXER_H

#include <cstddef>
#include <cstring>

namespace kt::vhdl {

struct Token {
    const char *text; // zero-terminated
    size_t len;
};

enum CharClass : unsigned char { kWordChar, kSpaceChar, kDelimiterChar, kLineEndChar, kZeroChar };
struct CharClasses {
    unsigned char of[256];
};
extern const CharClasses kCharClass;

class Lexer {
public:
    // text[len] must be writable; it holds the sentinel.
    Lexer(char *text, size_t len) : text_(text), end_(len), held_at_(len) { text_[len] = '\n'; }
    ~Lexer() { text_[held_at_] = held_; }

    // Moves to the next line: false when the text has no more.
    bool next_line() {
        if (started_)
            ++pos_; // past the line end where the last line stopped
        started_ = true;
        return pos_ < end_;
    }

    // The next token of the current line; false at its end.
    bool next(Token &token) {
        text_[held_at_] = held_;
        const auto *s = reinterpret_cast<const unsigned char *>(text_);
        size_t i = pos_;
        while (kCharClass.of[s[i]] == kSpaceChar)
            ++i;
        size_t start = i;
        switch (kCharClass.of[s[i]]) {
        case kLineEndChar:
            pos_ = i;
            return false;
        case kZeroChar:
            return skip_line(i);
        case kDelimiterChar:
            ++i;
            break;
        default:
            while (kCharClass.of[s[i]] == kWordChar)
                ++i;
            if (i - start >= 2 && s[start] == '-' && s[start + 1] == '-')
                return skip_line(i);
            break;
        }
        held_at_ = i;
        held_ = text_[i];
        text_[i] = '\0';
        pos_ = i;
        token.text = text_ + start;
        token.len = i - start;
        return true;
    }

private:
    // Ends the line at a comment or a zero byte: on to its line end.
    bool skip_line(size_t from) {
        pos_ = static_cast<size_t>(static_cast<const char *>(std::memchr(text_ + from, '\n', end_ + 1 - from)) - text_);
        return false;
    }

    char *text_;
    size_t end_;
    size_t pos_ = 0;
    bool started_ = false;
    size_t held_at_; // the byte replaced by the zero byte behind the last token
    char held_ = '\n';
};

} // namespace kt::vhdl

#endif
