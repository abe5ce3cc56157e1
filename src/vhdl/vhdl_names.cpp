// VHDL names: the identifier test against both reserved-word lists, and the
// wrapping of other names as extended identifiers.
//
// Invariants: both word lists are lower case and sorted; the index groups
// their words by first letter, so a test looks at a handful of words;
// the shared buffer of VHDLNameBuf only grows, and keeps its old contents
// when it cannot.
#include <cstring>

#include "packages/heap.h"
#include "common/ascii.h"
#include "kt/vhdl.h"
#include "vhdl_internal.h"

using kt::text::is_digit;
using kt::text::is_letter;
using kt::text::lower_ascii;

namespace {

const char *const kVhdlWords[] = {
    "abs",          "access",     "after",      "alias",     "all",       "and",
    "architecture", "array",      "assert",     "attribute", "begin",     "block",
    "body",         "buffer",     "bus",        "case",      "component", "configuration",
    "constant",     "disconnect", "downto",     "else",      "elsif",     "end",
    "entity",       "exit",       "file",       "for",       "function",  "generate",
    "generic",      "group",      "guarded",    "if",        "impure",    "in",
    "inertial",     "inout",      "is",         "label",     "library",   "linkage",
    "literal",      "loop",       "map",        "mod",       "nand",      "new",
    "next",         "nor",        "not",        "null",      "of",        "on",
    "open",         "or",         "others",     "out",       "package",   "port",
    "postponed",    "procedure",  "process",    "pure",      "range",     "record",
    "register",     "reject",     "rem",        "report",    "return",    "rol",
    "ror",          "select",     "severity",   "shared",    "signal",    "sla",
    "sll",          "sra",        "srl",        "subtype",   "then",      "to",
    "transport",    "type",       "unaffected", "units",     "until",     "use",
    "variable",     "wait",       "when",       "while",     "with",      "xnor",
    "xor",
};
static_assert(sizeof kVhdlWords / sizeof kVhdlWords[0] == 97, "the VHDL reserved words");

const char *const kAmsWords[] = {
    "across",    "break",    "limit",     "nature",   "noise",   "procedural", "quantity",
    "reference", "spectrum", "subnature", "terminal", "through", "tolerance",
};
static_assert(sizeof kAmsWords / sizeof kAmsWords[0] == 13, "the VHDL-AMS reserved words");

constexpr size_t kLongestWord = 13; // "configuration"

// The words of both lists grouped by first letter.
struct WordIndex {
    struct Word {
        const char *text;
        size_t len;
        bool ams;
    };
    Word words[97 + 13];
    int start[27] = {}; // words of letter k: start[k] .. start[k + 1] - 1

    WordIndex() {
        int n = 0;
        for (int k = 0; k < 26; ++k) {
            start[k] = n;
            for (const char *w : kVhdlWords)
                if (w[0] == 'a' + k)
                    words[n++] = {w, std::strlen(w), false};
            for (const char *w : kAmsWords)
                if (w[0] == 'a' + k)
                    words[n++] = {w, std::strlen(w), true};
        }
        start[26] = n;
    }
};
const WordIndex kIndex;

bool same_lowered(const char *token, const char *word, size_t len) {
    for (size_t i = 0; i < len; ++i)
        if (lower_ascii(token[i]) != word[i])
            return false;
    return true;
}

// Basic identifier: a letter, then letters, digits and single underscores,
// not ending in an underscore.
bool basic_identifier(const char *name, size_t len) {
    if (!is_letter(name[0]))
        return false;
    for (size_t i = 1; i < len; ++i) {
        char c = name[i];
        if (c == '_') {
            if (name[i - 1] == '_' || i + 1 == len)
                return false;
        } else if (!is_letter(c) && !is_digit(c)) {
            return false;
        }
    }
    return true;
}

size_t count_backslashes(const char *name) {
    size_t n = 0;
    for (const char *p = name; *p; ++p)
        n += *p == '\\';
    return n;
}

// \name\ with every inner backslash doubled; out holds wrapped_size bytes.
void wrap(const char *name, char *out) {
    char *q = out;
    *q++ = '\\';
    for (const char *p = name; *p; ++p) {
        if (*p == '\\')
            *q++ = '\\';
        *q++ = *p;
    }
    *q++ = '\\';
    *q = '\0';
}

size_t wrapped_size(const char *name) { return std::strlen(name) + count_backslashes(name) + 3; }

char *g_name_buf = nullptr;
size_t g_name_cap = 0;

} // namespace

namespace kt::vhdl {

bool reserved_word(const char *token, size_t len, int flag) {
    if (len < 2 || len > kLongestWord || !is_letter(token[0]))
        return false;
    int k = lower_ascii(token[0]) - 'a';
    for (int i = kIndex.start[k]; i < kIndex.start[k + 1]; ++i) {
        const WordIndex::Word &w = kIndex.words[i];
        if (w.len == len && (flag == 0 || !w.ams) && same_lowered(token, w.text, len))
            return true;
    }
    return false;
}

bool usable_name(const char *name, size_t len, int flag) {
    if (len == 0)
        return false;
    // An extended identifier needs something between its backslashes.
    if (name[0] == '\\')
        return len >= 3 && name[len - 1] == '\\';
    return basic_identifier(name, len) && !reserved_word(name, len, flag);
}

} // namespace kt::vhdl

extern "C" {

int IsVHDLIdentifier(const char *name, int flag) {
    return name && kt::vhdl::usable_name(name, std::strlen(name), flag) ? 1 : 0;
}

char *VHDLName(const char *name, int flag) {
    if (!name)
        return nullptr;
    size_t len = std::strlen(name);
    if (kt::vhdl::usable_name(name, len, flag)) {
        auto *copy = static_cast<char *>(kt::packages::allocate(len + 1));
        if (copy)
            std::memcpy(copy, name, len + 1);
        return copy;
    }
    auto *wrapped = static_cast<char *>(kt::packages::allocate(wrapped_size(name)));
    if (wrapped)
        wrap(name, wrapped);
    return wrapped;
}

const char *VHDLNameBuf(const char *name, int flag) {
    if (!name)
        return nullptr;
    if (kt::vhdl::usable_name(name, std::strlen(name), flag))
        return name;
    if (!kt::vhdl::reserve(g_name_buf, g_name_cap, wrapped_size(name), 0))
        return nullptr;
    wrap(name, g_name_buf);
    return g_name_buf;
}

} // extern "C"
