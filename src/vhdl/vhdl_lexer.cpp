// Tokenizer of the VHDL scanner (see vhdl_internal.h).
//
// Invariant: the token buffer holds at least the rest of the current line
// plus one byte whenever a token is copied into it; it grows on demand and
// is never shrunk.
#include <cstring>
#include <initializer_list>

#include "vhdl_internal.h"

namespace kt::vhdl {
namespace {

enum CharClass : unsigned char { kWord = 0, kSpace = 1, kDelimiter = 2 };

struct ClassTable {
    unsigned char of[256] = {};
    ClassTable() {
        for (unsigned char c : {' ', '\t', '\n', '\r'})
            of[c] = kSpace;
        for (unsigned char c : {';', '(', ')', ',', ':', '='})
            of[c] = kDelimiter;
    }
};
const ClassTable kClasses;

char *g_token = nullptr;
size_t g_token_cap = 0;

bool reserve_token(size_t need) { return reserve(g_token, g_token_cap, need < 64 ? 64 : need, 0); }

} // namespace

bool Lexer::next(Token &token) {
    const auto *s = reinterpret_cast<const unsigned char *>(line_);
    size_t i = pos_;
    while (i < len_ && kClasses.of[s[i]] == kSpace)
        ++i;
    if (i >= len_ || !reserve_token(len_ - i + 1)) {
        no_memory_ = i < len_;
        pos_ = len_;
        return false;
    }
    size_t start = i;
    if (kClasses.of[s[i]] == kDelimiter) {
        ++i;
    } else {
        while (i < len_ && kClasses.of[s[i]] == kWord)
            ++i;
        if (i - start >= 2 && s[start] == '-' && s[start + 1] == '-') {
            pos_ = len_;
            return false;
        }
    }
    size_t n = i - start;
    std::memcpy(g_token, line_ + start, n);
    g_token[n] = '\0';
    pos_ = i;
    token.text = g_token;
    token.len = n;
    return true;
}

} // namespace kt::vhdl
