// Working copies of the blank-padded text arguments of upper-case entries
// that hand text to the operating system or to a channel.
//
// A copy holds the declared length plus one byte and always ends in a zero
// byte. Trimmed, a zero byte is also placed right after the last non-blank
// character, so an all-blank text reads as empty while the bytes behind the
// zero stay as they were (channels send and receive them). The copy comes
// from the host's refusable heap: a refused allocation leaves ok() false and
// the entry must not go on.
#ifndef KT_SRC_SYSTEM_FIXED_TEXT_COPY_H
#define KT_SRC_SYSTEM_FIXED_TEXT_COPY_H

#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>

#include "common/fortran_text.h"
#include "common/blank_trim.h"
#include "kt/host.h"

namespace kt::system {

class FixedText {
public:
    enum Mode { kTrim, kKeep };

    FixedText(const char *text, int32_t len, Mode mode) {
        if (!allocate(text ? len : 0))
            return;
        if (len_ > 0)
            std::memcpy(buf_.get(), text, static_cast<size_t>(len_));
        if (mode == kTrim)
            buf_[kt::significant_length(buf_.get(), len_)] = '\0';
    }

    // An empty receiving copy of a text of length len.
    explicit FixedText(int32_t len) { allocate(len); }

    bool ok() const { return buf_ != nullptr; }
    char *data() { return buf_.get(); }
    int32_t length() const { return len_; }

    // Copies up to the first zero byte into dest and blank-fills the rest.
    void copy_back(char *dest, int32_t dest_len) const {
        kt::fortran_assign(dest, dest_len, std::string_view(buf_.get(), std::strlen(buf_.get())));
    }

private:
    bool allocate(int32_t len) {
        len_ = len > 0 ? len : 0;
        buf_.reset(static_cast<char *>(kt_host_calloc(static_cast<size_t>(len_) + 1, 1)));
        return buf_ != nullptr;
    }

    struct Free {
        void operator()(char *p) const { kt_host_free(p); }
    };
    std::unique_ptr<char[], Free> buf_;
    int32_t len_ = 0;
};

} // namespace kt::system

#endif
