// Word-store strings: a 2-cell header (character block, length) and a
// character block of length + 1 bytes ending in a zero byte.
//
// A refused resize frees the string and clears the caller's variable, so
// no block is ever left without an owner. Text appended from the string's
// own characters is located by offset and read after the resize. An append
// that fits the room the character block already has asks the store for
// nothing, so appending piece by piece costs a store request only when the
// block must grow (by half as much again, which the store grants).
#include <cstring>

#include "common/fortran_alias.h"
#include "host/store_requester.h"
#include "common/poison.h"
#include "common/cells.h"
#include "host/headed_block.h"
#include "host/host_calls.h"
#include "common/nonneg.h"
#include "kt/host.h"
#include "kt/store.h"
#include "word_string.h"

namespace {

using kt::kCharSize;
using kt::kIntSize;
using kt::nonneg;
constexpr int32_t kHeaderCells = 2;

constexpr auto &chars_of = kt::store::string_block;
constexpr auto &length_of = kt::store::string_length;
constexpr auto &char_ptr = kt::store::string_chars;

// Copies n bytes, sizeof(Word) <= n <= 2 * sizeof(Word), as two words that
// may overlap, reading both before writing either.
template <class Word> [[gnu::always_inline]] inline void move_ends(char *dst, const char *src, size_t n) {
    Word head, tail;
    std::memcpy(&head, src, sizeof head);
    std::memcpy(&tail, src + n - sizeof tail, sizeof tail);
    std::memcpy(dst, &head, sizeof head);
    std::memcpy(dst + n - sizeof tail, &tail, sizeof tail);
}

// memmove, with the short copies that appends mostly make done inline: every
// byte is read before any is written, so the ranges may overlap.
constexpr int32_t kShortCopy = 16;
[[gnu::always_inline]] inline void move_bytes(char *dst, const char *src, size_t n) {
    if (n > kShortCopy) {
        std::memmove(dst, src, n);
    } else if (n >= 8) {
        move_ends<uint64_t>(dst, src, n);
    } else if (n >= 4) {
        move_ends<uint32_t>(dst, src, n);
    } else if (n > 0) {
        char first = src[0], middle = src[n / 2], last = src[n - 1];
        dst[0] = first;
        dst[n / 2] = middle;
        dst[n - 1] = last;
    }
}

// A new string of length n made on behalf of `entry`.
int32_t create(const char *entry, int32_t n, int32_t sclass, int32_t *out) {
    kt::StoreRequester as(entry);
    *out = 0;
    n = nonneg(n);
    int32_t header = n == INT32_MAX ? 0 : kt::store_get_headed(kHeaderCells, n + 1, kCharSize, sclass);
    if (header == 0)
        return 0;
    length_of(header) = n;
    *char_ptr(header, n + 1) = '\0';
    *out = header;
    return header;
}

void free_string(int32_t *s) {
    kt::store_free_headed(kHeaderCells, s, length_of(*s) + 1, kCharSize);
    *s = 0;
}

// Changes the length to `len` keeping the leading characters. A refused
// resize frees the string and clears the caller's variable.
int32_t resize_chars(int32_t *string, int32_t len) {
    int32_t s = *string;
    if (s == 0)
        return 0;
    int32_t old_bytes = length_of(s) + 1, new_bytes = len + 1, block = chars_of(s);
    if (len == INT32_MAX || !kt::store_resize(new_bytes, &block, kCharSize, old_bytes)) {
        free_string(string);
        return 0;
    }
    chars_of(s) = block;
    length_of(s) = len;
    *char_ptr(s, len + 1) = '\0';
    return s;
}

// Appends text(1..add) into the room the character block already has.
[[gnu::always_inline]] inline int32_t append_in_room(int32_t s, const char *text, int32_t add) {
    int32_t old = length_of(s);
    char *chars = char_ptr(s, 1);
    kt::unpoison(chars, static_cast<size_t>(old) + static_cast<size_t>(add) + 1);
    move_bytes(chars + old, text, static_cast<size_t>(add));
    chars[old + add] = '\0';
    length_of(s) = old + add;
    return s;
}

// STRAPA beyond the short append into room. Kept out of line so that the
// short append needs no stack frame.
[[gnu::noinline]] int32_t append_growing(const char *text, int32_t add, int32_t *string) {
    int32_t s = *string;
    if (s == 0) {
        kt::StoreRequester as("STRAPA");
        return STRGEA(text, &add, string, add);
    }
    int32_t old = length_of(s);
    if (int64_t{old} + add + 1 <= kt_store_room(chars_of(s), kCharSize))
        return append_in_room(s, text, add);
    if (int64_t{old} + add >= INT32_MAX) {
        free_string(string);
        return 0;
    }
    const char *own = char_ptr(s, 1);
    bool inside = text >= own && text <= own + old;
    ptrdiff_t offset = text - own;
    if (!resize_chars(string, old + add))
        return 0;
    if (inside)
        text = char_ptr(s, 1) + offset;
    if (add > 0)
        std::memmove(char_ptr(s, old + 1), text, static_cast<size_t>(add));
    return s;
}

} // namespace

extern "C" {

int32_t STRGS(const int32_t *n, int32_t *string) { return create("STRGS", *n, 0, string); }

int32_t STRGSV(const int32_t *n, int32_t *string) { return create("STRGSV", *n, -1, string); }

int32_t STRGEA(const char *text, const int32_t *n, int32_t *string, int32_t text_len) {
    (void)text_len; // the explicit count rules
    int32_t len = nonneg(*n);
    if (!create("STRGEA", len, 0, string))
        return 0;
    if (len > 0)
        std::memcpy(char_ptr(*string, 1), text, static_cast<size_t>(len));
    return *string;
}

int32_t STRDUPR(const int32_t *string, int32_t *copy) {
    int32_t s = *string;
    if (s == 0) {
        *copy = 0;
        return 0;
    }
    kt::StoreRequester as("STRDUPR");
    return STRGEA(char_ptr(s, 1), &length_of(s), copy, length_of(s));
}

int32_t STRXS(const int32_t *n, int32_t *string) { return resize_chars(string, nonneg(*n)); }

int32_t STRAPA(const char *text, const int32_t *n, int32_t *string, int32_t text_len) {
    (void)text_len;
    int32_t add = nonneg(*n), s = *string;
    // The common short append into room the block already has makes no
    // call at all; everything else goes out of line.
    if (s != 0 && add <= kShortCopy && int64_t{length_of(s)} + add + 1 <= kt_store_room(chars_of(s), kCharSize))
        return append_in_room(s, text, add);
    return append_growing(text, add, string);
}

int32_t STREA(const char *text, const int32_t *n, const int32_t *string, const int32_t *position, int32_t text_len) {
    (void)text_len;
    int32_t s = *string;
    if (s == 0)
        return -1;
    int64_t p = nonneg(*position), len = length_of(s);
    int64_t end = p + nonneg(*n) < len ? p + nonneg(*n) : len;
    if (end - p >= 1)
        std::memmove(char_ptr(s, static_cast<int32_t>(p) + 1), text, static_cast<size_t>(end - p));
    return static_cast<int32_t>(end);
}

void STRFS(int32_t *string) {
    if (*string != 0)
        free_string(string);
}

} // extern "C"

KT_FORTRAN_ALIAS(STRGS, strgs_);
KT_FORTRAN_ALIAS(STRGSV, strgsv_);
KT_FORTRAN_ALIAS(STRGEA, strgea_);
KT_FORTRAN_ALIAS(STRDUPR, strdupr_);
KT_FORTRAN_ALIAS(STRXS, strxs_);
KT_FORTRAN_ALIAS(STRAPA, strapa_);
KT_FORTRAN_ALIAS(STREA, strea_);
KT_FORTRAN_ALIAS(STRFS, strfs_);
