// Tokenizer of the VHDL scanner (see vhdl_lexer.h): its character classes
// and its token buffer.
#include "vhdl_lexer.h"

#include <initializer_list>

#include "vhdl_internal.h"

namespace kt::vhdl {
namespace {

constexpr CharClasses classes() {
    CharClasses c{};
    for (char space : {' ', '\t', '\n', '\r'})
        c.of[static_cast<unsigned char>(space)] = kSpaceChar;
    for (char delimiter : {';', '(', ')', ',', ':', '='})
        c.of[static_cast<unsigned char>(delimiter)] = kDelimiterChar;
    return c;
}

char *g_token = nullptr;
size_t g_token_cap = 0;

} // namespace

constexpr CharClasses kCharClass = classes();

char *token_buffer(size_t len) {
    return reserve(g_token, g_token_cap, len + 1 < 64 ? 64 : len + 1, 0) ? g_token : nullptr;
}

} // namespace kt::vhdl
