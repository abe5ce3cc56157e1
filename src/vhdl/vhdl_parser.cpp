// Reading a VHDL source file: a fixed state machine fed token by token that
// records entity interfaces and skips architecture bodies.
//
// Invariants: the state persists across lines; `group_*` is the first record
// of the names declared together before a colon (the group runs from it to
// the end of the entity's list), null when no group is open; `*_link` is the
// null `next` slot at the end of the current entity's lists. Inside an
// architecture, `sub_depth` counts the open subprogram bodies, whose bare
// "end;" must not close the architecture.
#include <cstdio>
#include <cstring>

#include "packages/heap.h"
#include "common/ascii.h"
#include "kt/host.h"
#include "vhdl_internal.h"
#include "vhdl_lexer.h"
#include "vhdl_source.h"

using kt::packages::release;
using kt::text::lower_ascii;

namespace kt::vhdl {
namespace {

enum State {
    kNone,
    kLibrary,
    kUse,
    kEntity,
    kGeneric,
    kGenericType,
    kGenericVal,
    kPort,
    kPortDirType,
    kPortInitializer,
    kPortConstraint,
    kEndEntity,
    kArchitecture,
    kEndArchitecture,
};

const char *state_name(int state) {
    static const char *const names[] = {"NONE",
                                        "LIBRARY",
                                        "USE",
                                        "ENTITY",
                                        "GENERIC",
                                        "GENERIC_TYPE",
                                        "GENERIC_VAL",
                                        "PORT",
                                        "PORT_DIR_TYPE",
                                        "PORT_INITIALIZER",
                                        "PORT_CONSTRAINT",
                                        "END_ENTITY",
                                        "ARCHITECTURE",
                                        "END_ARCHITECTURE"};
    return state >= kNone && state <= kEndArchitecture ? names[state] : "Unknown";
}

// Case-insensitive keyword test; the length check spares most calls.
// Keywords compare without regard to ASCII letter case, as kt_stricmp
// does; the words are lower case. Inline: it runs for most tokens.
template <size_t N> bool is(const Token &t, const char (&word)[N]) {
    if (t.len != N - 1)
        return false;
    for (size_t i = 0; i < N - 1; ++i)
        if (lower_ascii(t.text[i]) != word[i])
            return false;
    return true;
}
bool is(const Token &t, char c) { return t.len == 1 && t.text[0] == c; }

// Tokens joined by single blanks, grown on demand.
class TokenList {
public:
    ~TokenList() { release(text_); }
    bool empty() const { return len_ == 0; }
    void clear() {
        len_ = 0;
        if (text_)
            text_[0] = '\0';
    }
    const char *text() const { return text_ ? text_ : ""; }
    bool add(const Token &t) {
        if (!reserve(text_, cap_, len_ + (len_ ? 1 : 0) + t.len + 1, len_))
            return false;
        if (len_)
            text_[len_++] = ' ';
        std::memcpy(text_ + len_, t.text, t.len);
        len_ += t.len;
        text_[len_] = '\0';
        return true;
    }
    // The joined text as a text of the entity; null when memory ran out.
    char *joined(VHDLEntity *entity) const { return entity_text(entity, text_, len_); }

private:
    char *text_ = nullptr;
    size_t len_ = 0, cap_ = 0;
};

// Equal context lines: letter case ignored, white space trimmed at both
// ends and each inner run of it counted as one separator.
bool same_context_line(const char *a, const char *b) {
    auto space = [](char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; };
    while (space(*a))
        ++a;
    while (space(*b))
        ++b;
    for (;;) {
        bool gap_a = false, gap_b = false;
        for (; space(*a); ++a)
            gap_a = true;
        for (; space(*b); ++b)
            gap_b = true;
        if (!*a || !*b)
            return !*a && !*b; // trailing white space does not count
        if (gap_a != gap_b || lower_ascii(*a) != lower_ascii(*b))
            return false;
        ++a, ++b;
    }
}

// Context lines waiting for the next entity, "KEYWORD name;\n", stored
// back to back with their zero bytes; a line equal to one already waiting
// is not added.
class PendingLines {
public:
    ~PendingLines() { release(text_); }
    const char *lines() const { return text_; }
    size_t count() const { return count_; }
    void clear() { len_ = count_ = 0; }
    bool add(const char *keyword, const Token &t) {
        size_t k = std::strlen(keyword), n = k + t.len + 3; // blank, ";", newline
        if (!reserve(text_, cap_, len_ + n + 1, len_))
            return false;
        char *line = text_ + len_;
        std::memcpy(line, keyword, k);
        line[k] = ' ';
        std::memcpy(line + k + 1, t.text, t.len);
        std::memcpy(line + k + 1 + t.len, ";\n", 3);
        line[n] = '\0';
        for (const char *p = text_; p < line; p += std::strlen(p) + 1)
            if (same_context_line(p, line))
                return true;
        len_ += n + 1;
        ++count_;
        return true;
    }

private:
    char *text_ = nullptr;
    size_t len_ = 0, cap_ = 0, count_ = 0;
};

class Reader {
public:
    bool failed() const { return error_; }
    void next_line() { ++line_; }
    void feed(const Token &t);
    void out_of_memory();

private:
    void finish() { state_ = kNone; }
    void syntax_error(const Token &t);
    void context_line(const char *keyword, const Token &t);
    void open_entity(const Token &t);
    void close_architecture() {
        unit_ = kNone;
        sub_depth_ = 0;
        sub_header_ = sub_is_ = false;
    }
    void none_state(const Token &t);
    void track_subprograms(const Token &t);
    void end_architecture(const Token &t);
    void generic_states(const Token &t);
    void give_group_value();
    void port_states(const Token &t);
    void new_port(const Token &t);
    void type_of_port_group(const Token &t);
    void constraint_of_port_group();

    int state_ = kNone, depth_ = 0, unit_ = kNone, line_ = 0;
    bool error_ = false;
    VHDLEntity *entity_ = nullptr; // the open entity; its name is the current entity name
    TokenList arch_name_;
    VHDLGeneric **generic_link_ = nullptr;
    VHDLPort **port_link_ = nullptr;
    PendingLines pending_;
    VHDLGeneric *group_generic_ = nullptr;
    VHDLPort *group_port_ = nullptr;
    int kind_ = VHDL_SIGNAL, direction_ = VHDL_NO_DIRECTION;
    bool type_seen_ = false;
    bool value_fresh_ = false; // the next value token directly follows ":"
    int constraint_depth_ = 0;
    TokenList value_, constraint_;
    bool after_semicolon_ = false, after_colon_ = false;
    int sub_depth_ = 0, sub_parens_ = 0;
    bool sub_header_ = false, sub_is_ = false;
};

void Reader::out_of_memory() {
    if (!error_)
        set_error(formatted("Out of memory on line %d.", line_));
    error_ = true;
}

// The first error of a read is the one worth reporting: later tokens of its
// line are still fed, but their complaints would only hide it.
void Reader::syntax_error(const Token &t) {
    if (error_)
        return;
    set_error(formatted("Expecting %s name, found '%s' on line %d.", state_name(state_), t.text, line_));
    error_ = true;
}

void Reader::context_line(const char *keyword, const Token &t) {
    if (!pending_.add(keyword, t))
        out_of_memory();
}

void Reader::open_entity(const Token &t) {
    entity_ = nullptr;
    if (!usable_name(t.text, t.len, 0))
        return syntax_error(t);
    VHDLEntity *e = find_or_make_entity(t.text, t.len);
    if (!e)
        return out_of_memory();
    if (!set_context(e, pending_.lines(), pending_.count()))
        return out_of_memory();
    pending_.clear();
    entity_ = e;
    for (generic_link_ = &e->first_generic; *generic_link_;)
        generic_link_ = &(*generic_link_)->next;
    for (port_link_ = &e->first_port; *port_link_;)
        port_link_ = &(*port_link_)->next;
    finish();
}

// Subprogram bodies inside an architecture: "function"/"procedure" (not an
// entity class after ":") opens a header; "is" outside its parentheses
// starts a body, unless "new" follows (an instantiation); ";" there first
// makes it a mere declaration.
void Reader::track_subprograms(const Token &t) {
    if (sub_is_) {
        sub_is_ = false;
        if (is(t, "new") && sub_depth_ > 0)
            --sub_depth_;
    }
    if (sub_header_) {
        if (is(t, '('))
            ++sub_parens_;
        else if (is(t, ')'))
            --sub_parens_;
        else if (sub_parens_ <= 0 && is(t, ';'))
            sub_header_ = false;
        else if (sub_parens_ <= 0 && is(t, "is")) {
            sub_header_ = false;
            sub_is_ = true;
            ++sub_depth_;
        }
    } else if (t.len >= 8 && (is(t, "function") || is(t, "procedure")) && !after_colon_) {
        sub_header_ = true;
        sub_parens_ = 0;
    }
}

// The keywords that matter between declarations, told apart by length
// first: most tokens there are names that no keyword test should cost.
enum Keyword { kOther, kLibraryWord, kUseWord, kEntityWord, kEndWord, kArchitectureWord, kGenericWord, kPortWord };

Keyword keyword_of(const Token &t) {
    switch (t.len) {
    case 3:
        return is(t, "use") ? kUseWord : is(t, "end") ? kEndWord : kOther;
    case 4:
        return is(t, "port") ? kPortWord : kOther;
    case 6:
        return is(t, "entity") ? kEntityWord : kOther;
    case 7:
        return is(t, "library") ? kLibraryWord : is(t, "generic") ? kGenericWord : kOther;
    case 12:
        return is(t, "architecture") ? kArchitectureWord : kOther;
    default:
        return kOther;
    }
}

void Reader::none_state(const Token &t) {
    Keyword k = keyword_of(t);
    // "entity" or "library" starting a statement can only begin a new
    // design unit: an architecture still open was closed by a bare "end;".
    if (unit_ == kArchitecture && after_semicolon_ && (k == kEntityWord || k == kLibraryWord))
        close_architecture();
    switch (k) {
    case kLibraryWord:
        state_ = kLibrary;
        break;
    case kUseWord:
        if (unit_ == kNone)
            state_ = kUse;
        break;
    case kEntityWord:
        if (unit_ == kNone) {
            state_ = kEntity;
            unit_ = kEntity;
        }
        break;
    case kEndWord:
        if (unit_ == kEntity)
            state_ = kEndEntity;
        else if (unit_ == kArchitecture)
            state_ = kEndArchitecture;
        break;
    case kArchitectureWord:
        close_architecture(); // forgets the subprograms of any earlier one
        state_ = kArchitecture;
        unit_ = kArchitecture;
        break;
    case kGenericWord:
        if (unit_ == kEntity && entity_) {
            state_ = kGeneric;
            depth_ = 0;
            group_generic_ = nullptr;
            value_.clear();
        }
        break;
    case kPortWord:
        if (unit_ == kEntity && entity_) {
            state_ = kPort;
            depth_ = 0;
            group_port_ = nullptr;
            kind_ = VHDL_SIGNAL;
            direction_ = VHDL_NO_DIRECTION;
        }
        break;
    case kOther:
        if (unit_ == kArchitecture)
            track_subprograms(t);
        break;
    }
}

// After "end" in an architecture: its keyword or name closes it, and so does
// a bare "end;" outside subprogram bodies; the ends of statements and of
// other constructs leave it open.
void Reader::end_architecture(const Token &t) {
    if (is(t, "architecture") || kt_stricmp(t.text, arch_name_.text()) == 0)
        close_architecture();
    else if (sub_depth_ == 0 && is(t, ';'))
        close_architecture();
    else if (sub_depth_ > 0 &&
             (is(t, ';') || is(t, "function") || is(t, "procedure") || !reserved_word(t.text, t.len, 0)))
        --sub_depth_; // "end;", "end function" or "end name" of a subprogram
    finish();
}

void Reader::give_group_value() {
    if (value_.empty())
        return;
    for (VHDLGeneric *g = group_generic_; g; g = g->next) {
        if (!(g->value = value_.joined(entity_)))
            return out_of_memory();
    }
}

void Reader::generic_states(const Token &t) {
    bool fresh = false;
    if (is(t, '(')) {
        ++depth_;
        if (state_ == kGenericVal && !value_.add(t))
            out_of_memory();
    } else if (is(t, ')')) {
        --depth_;
        if (depth_ != 0 && state_ == kGenericVal && !value_.add(t))
            out_of_memory();
    } else if (is(t, ',')) {
        if (depth_ != 0 && state_ == kGenericVal && !value_.add(t))
            out_of_memory();
    } else if (is(t, ':')) {
        type_seen_ = false;
        state_ = state_ == kGenericType ? kGenericVal : kGenericType;
        fresh = state_ == kGenericVal;
    } else if (is(t, ';')) {
        state_ = kGeneric;
        give_group_value();
        value_.clear();
        group_generic_ = nullptr;
    } else if (state_ == kGeneric) {
        if (!is(t, "constant")) {
            if (!usable_name(t.text, t.len, 0))
                return syntax_error(t);
            VHDLGeneric *g = make_generic(entity_, t.text, t.len);
            if (!g)
                return out_of_memory();
            *generic_link_ = g;
            generic_link_ = &g->next;
            if (!group_generic_)
                group_generic_ = g;
        }
    } else if (state_ == kGenericType) {
        if (!type_seen_) {
            type_seen_ = true;
            VHDLType *type = find_or_make_type(t.text, t.len);
            if (!type)
                return out_of_memory();
            for (VHDLGeneric *g = group_generic_; g; g = g->next)
                g->type = type;
        }
    } else if (!(value_fresh_ && is(t, '='))) { // the "=" of ":=" only
        if (!value_.add(t))
            out_of_memory();
    }
    value_fresh_ = fresh;
    if (depth_ == 0) {
        give_group_value();
        value_.clear();
        group_generic_ = nullptr;
        finish();
    }
}

void Reader::new_port(const Token &t) {
    if (!usable_name(t.text, t.len, 0))
        return syntax_error(t);
    VHDLPort *p = make_port(entity_, t.text, t.len);
    if (!p)
        return out_of_memory();
    *port_link_ = p;
    port_link_ = &p->next;
    type_seen_ = false;
    direction_ = VHDL_NO_DIRECTION;
    if (!group_port_)
        group_port_ = p;
}

void Reader::type_of_port_group(const Token &t) {
    if (kind_ == VHDL_SIGNAL && direction_ == VHDL_NO_DIRECTION)
        direction_ = VHDL_IN;
    VHDLType *type = find_or_make_type(t.text, t.len);
    if (!type)
        return out_of_memory();
    for (VHDLPort *p = group_port_; p; p = p->next) {
        p->type = type;
        p->kind = kind_;
        p->direction = direction_;
    }
    type_seen_ = true;
    kind_ = VHDL_SIGNAL;
}

void Reader::constraint_of_port_group() {
    if (!constraint_.empty()) {
        for (VHDLPort *p = group_port_; p; p = p->next) {
            if (!(p->constraint = constraint_.joined(entity_)))
                return out_of_memory();
        }
        constraint_.clear();
        group_port_ = nullptr;
    }
    state_ = kPortDirType;
}

void Reader::port_states(const Token &t) {
    if (is(t, "in"))
        direction_ = VHDL_IN;
    else if (is(t, "out"))
        direction_ = VHDL_OUT;
    else if (is(t, "inout"))
        direction_ = VHDL_INOUT;
    else if (is(t, "buffer"))
        direction_ = VHDL_BUFFER;
    else if (is(t, "linkage"))
        direction_ = VHDL_LINKAGE;
    else if (is(t, ';')) {
        state_ = kPort;
        group_port_ = nullptr;
        constraint_.clear();
    } else if (is(t, '(')) {
        ++depth_;
        if (state_ == kPortConstraint) {
            // Parentheses nested in a constraint belong to its text.
            if (!constraint_.add(t))
                out_of_memory();
        } else if (state_ != kPortInitializer) {
            state_ = kPortConstraint;
            constraint_depth_ = depth_;
        }
    } else if (is(t, ')')) {
        if (state_ == kPortConstraint && depth_ > constraint_depth_) {
            --depth_;
            if (!constraint_.add(t))
                out_of_memory();
            return;
        }
        if (state_ == kPortConstraint)
            constraint_of_port_group();
        if (--depth_ == 0)
            finish();
    } else if (is(t, ':') || is(t, '=')) {
        state_ = kPortInitializer;
    } else {
        if (state_ == kPortConstraint && !constraint_.add(t))
            return out_of_memory();
        if (!type_seen_)
            type_of_port_group(t);
    }
}

void Reader::feed(const Token &t) {
    switch (state_) {
    case kNone:
        none_state(t);
        break;
    case kLibrary:
    case kUse:
        if (is(t, ';'))
            finish();
        else if (!is(t, ',') && !(state_ == kUse && unit_ != kNone))
            context_line(state_ == kLibrary ? "LIBRARY" : "USE", t);
        break;
    case kEntity:
        open_entity(t);
        break;
    case kGeneric:
    case kGenericType:
    case kGenericVal:
        generic_states(t);
        break;
    case kPort:
        if (is(t, "terminal"))
            kind_ = VHDL_TERMINAL;
        else if (is(t, "signal"))
            kind_ = VHDL_SIGNAL;
        else if (is(t, "quantity"))
            kind_ = VHDL_QUANTITY;
        else if (is(t, ':')) {
            state_ = kPortDirType;
            type_seen_ = false;
        } else if (is(t, '('))
            ++depth_;
        else if (is(t, ')')) {
            state_ = kPortDirType;
            if (--depth_ == 0)
                finish();
        } else if (!is(t, ','))
            new_port(t);
        break;
    case kPortDirType:
    case kPortInitializer:
    case kPortConstraint:
        port_states(t);
        break;
    case kEndEntity:
        if (is(t, "entity") || is(t, ';') || (entity_ && kt_stricmp(t.text, entity_->name) == 0)) {
            unit_ = kNone;
            entity_ = nullptr;
        }
        finish();
        break;
    case kArchitecture:
        arch_name_.clear();
        if (!arch_name_.add(t))
            out_of_memory();
        pending_.clear();
        finish();
        break;
    case kEndArchitecture:
        end_architecture(t);
        break;
    }
    after_semicolon_ = is(t, ';');
    after_colon_ = is(t, ':');
}

// Why a file could not be read: "Cannot open 'x': reason." or "Cannot read
// 'x': reason.", the reason being the system's.
void source_error(const char *path, const SourceFile &file) {
    if (!file.error())
        std::fputs("Out of memory.\n", stderr);
    const char *reason = file.error() ? std::strerror(file.error()) : "out of memory";
    set_error(formatted("Cannot %s '%s': %s.", file.failed_at(), path, reason));
}

} // namespace
} // namespace kt::vhdl

extern "C" int vhdlutil_VHDLSrcRead(const char *path) {
    using namespace kt::vhdl;
    if (!path)
        return 0;
    SourceFile file;
    if (!file.open(path)) {
        source_error(path, file);
        return 0;
    }
    begin_read();
    bool ok;
    {
        Reader reader;
        char *line;
        size_t len;
        while (!reader.failed() && file.next_line(line, len)) {
            reader.next_line();
            Lexer lexer(line, len);
            Token t;
            while (lexer.next(t))
                reader.feed(t);
        }
        ok = !reader.failed();
    }
    // A file that could not be read to its end adds nothing.
    if (file.failed_at()) {
        undo_read();
        source_error(path, file);
        return 0;
    }
    return ok ? 1 : 0;
}
