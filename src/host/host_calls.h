// The host as the library's own code calls it: counts, sizes and classes
// by value, texts as string_view with their length taken from the text.
//
// Each helper is one call of the host's public upper-case entry, so blocks
// are tagged, counted and refused exactly as for an outside caller (the
// c_ twins would tag blocks under another name). The store helpers answer
// true when the request was granted; a refused request leaves the index as
// it was.
#ifndef KT_SRC_HOST_HOST_CALLS_H
#define KT_SRC_HOST_HOST_CALLS_H

#include <cstdint>
#include <string_view>

#include "kt/host.h"

namespace kt {

inline int32_t text_size(std::string_view text) { return static_cast<int32_t>(text.size()); }

// A new block of `count` elements of `elsize` bytes in *index (GSTORE).
inline bool store_get(int32_t count, int32_t *index, int32_t elsize, int32_t sclass) {
    int32_t status = 0;
    return GSTORE(&count, index, &elsize, &sclass, &status) == 0;
}

// The block resized from `oldcount` to `newcount` elements; it may move (XSTORE).
inline bool store_resize(int32_t newcount, int32_t *index, int32_t elsize, int32_t oldcount) {
    int32_t status = 0;
    return XSTORE(&newcount, index, &elsize, &oldcount, &status) == 0;
}

// store_resize that also sets the block's storage class (USTORE).
inline bool store_resize_class(int32_t newcount, int32_t *index, int32_t elsize, int32_t sclass, int32_t oldcount) {
    int32_t status = 0;
    return USTORE(&newcount, index, &elsize, &sclass, &oldcount, &status) == 0;
}

// Frees the block and clears *index (FSTORE); index 0 is nothing to free.
inline void store_free(int32_t count, int32_t *index, int32_t elsize) { FSTORE(&count, index, &elsize); }

// Raises error `number` with its catalogue text (ER), or with `text` (ERC).
inline void raise(int32_t number) { ER(&number); }
inline void raise(int32_t number, std::string_view text) { ERC(&number, text.data(), text_size(text)); }

// Appends " value" to the error just raised (ERI, in plain decimal).
inline void raise_more(int32_t value) {
    const int32_t plain = 0;
    ERI(&plain, &value);
}

// Error 2012, the store exhausted, naming the routine (ERSTOR).
inline void raise_no_store(std::string_view routine) { ERSTOR(routine.data(), text_size(routine)); }

// Appends the text to the output line (OOCS).
inline void print(std::string_view text) { OOCS(text.data(), text_size(text)); }

// Sets an output option (OOSETO).
inline void set_output_option(std::string_view option, int32_t value) {
    OOSETO(option.data(), &value, text_size(option));
}

// The value of an output option (OOQUER).
inline int32_t output_option(std::string_view option) { return OOQUER(option.data(), text_size(option)); }

} // namespace kt

#endif
