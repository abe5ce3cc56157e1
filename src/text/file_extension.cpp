// SFNEXT: makes sure a file name carries an extension.
//
// Only a dot after the last '/' starts an extension, so "./top" and
// "a.d/top" have none. The comparison never reads past the name: an
// extension cut short by the end of the name is simply different.
#include <cstring>

#include "common/fortran_alias.h"
#include "common/ascii.h"
#include "common/blank_trim.h"
#include "kt/host.h"
#include "kt/text.h"

using namespace kt::text;

namespace {

enum Status : int32_t { kAppended = 1, kAlreadyThere = 0, kOtherExtension = -1, kNoRoom = -2 };

// 0-based position of the dot that starts the name's extension, or -1.
int32_t extension_dot(const char *name, int32_t len) {
    for (int32_t i = len - 1; i >= 0; --i) {
        if (name[i] == '/')
            return -1;
        if (name[i] == '.')
            return i;
    }
    return -1;
}

} // namespace

extern "C" {

int32_t SFNEXT(const char *extension, char *name, int32_t *name_length, int32_t *status, int32_t extension_len,
               int32_t name_len) {
    int32_t ln = kt::significant_length(name, name_len), le = kt::significant_length(extension, extension_len);
    *name_length = ln;
    int32_t dot = extension_dot(name, name_len);
    if (dot < 0) {
        if (int64_t{ln} + le > name_len)
            return *status = kNoRoom;
        std::memcpy(name + ln, extension, static_cast<size_t>(le));
        std::memset(name + ln + le, kBlank, static_cast<size_t>(name_len - ln - le));
        *name_length = ln + le;
        return *status = kAppended;
    }
    int32_t available = name_len - dot, compared = le < available ? le : available;
    if (UISCMP(name + dot, &compared, extension, &le, compared, le) == 0)
        return *status = kAlreadyThere;
    return *status = kOtherExtension;
}
KT_FORTRAN_ALIAS(SFNEXT, sfnext_);

} // extern "C"
