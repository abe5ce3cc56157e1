// Tokenizer of the VHDL scanner (see vhdl_lexer.h): its character classes.
#include "vhdl_lexer.h"

#include <initializer_list>

namespace kt::vhdl {
namespace {

constexpr CharClasses classes() {
    CharClasses c{};
    for (char space : {' ', '\t', '\r'})
        c.of[static_cast<unsigned char>(space)] = kSpaceChar;
    for (char delimiter : {';', '(', ')', ',', ':', '='})
        c.of[static_cast<unsigned char>(delimiter)] = kDelimiterChar;
    c.of[static_cast<unsigned char>('\n')] = kLineEndChar;
    c.of[0] = kZeroChar;
    return c;
}

} // namespace

constexpr CharClasses kCharClass = classes();

} // namespace kt::vhdl
