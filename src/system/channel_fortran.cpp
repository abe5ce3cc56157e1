// Upper-case entries of the channels: arguments by address, texts with
// hidden lengths. Texts go through a working copy of their declared length
// plus one (see fixed_text.h); counts are kept within that copy. When no
// copy can be made the entry answers -2, never a handle or a count.
#include <algorithm>

#include "common/fortran_alias.h"
#include "channel_table.h"
#include "fixed_text_copy.h"
#include "kt/system.h"

using kt::system::FixedText;

extern "C" {

int32_t IPINI(const int32_t *kind, int32_t *port) { return c_ipini(*kind, port); }
KT_FORTRAN_ALIAS(IPINI, ipini_);

int32_t IPOCSS(const int32_t *handle, const double *timeout) { return c_ipocss(*handle, *timeout); }
KT_FORTRAN_ALIAS(IPOCSS, ipocss_);

int32_t IPOCCS(const int32_t *handle, const char *host, const int32_t *port, int32_t host_len) {
    FixedText h(host, host_len, FixedText::kTrim);
    return h.ok() ? c_ipoccs(*handle, h.data(), *port) : kt::system::kNoMemory;
}
KT_FORTRAN_ALIAS(IPOCCS, ipoccs_);

int32_t IPOCCT(const int32_t *handle, const char *host, const int32_t *port, const double *timeout, int32_t host_len) {
    FixedText h(host, host_len, FixedText::kTrim);
    return h.ok() ? c_ipocct(*handle, h.data(), *port, *timeout) : kt::system::kNoMemory;
}
KT_FORTRAN_ALIAS(IPOCCT, ipocct_);

int32_t IPOCP(const int32_t *handle, const int32_t *rfd, const int32_t *wfd) { return c_ipocp(*handle, *rfd, *wfd); }
KT_FORTRAN_ALIAS(IPOCP, ipocp_);

// LEN may reach the zero byte after DATA, never beyond the copy.
int32_t IPWRIT(const int32_t *handle, const int32_t *type, const char *data, const int32_t *len, int32_t data_len) {
    FixedText d(data, data_len, FixedText::kTrim);
    if (!d.ok())
        return kt::system::kNoMemory;
    return c_ipwrit(*handle, *type, d.data(), std::min(*len, d.length() + 1));
}
KT_FORTRAN_ALIAS(IPWRIT, ipwrit_);

int32_t IPPEEK(const int32_t *handle, int32_t *type, int32_t *len) { return c_ippeek(*handle, type, len); }
KT_FORTRAN_ALIAS(IPPEEK, ippeek_);

int32_t IPREAD(const int32_t *handle, int32_t *type, char *data, const int32_t *maxlen, int32_t data_len) {
    FixedText d(data, data_len, FixedText::kTrim);
    if (!d.ok())
        return kt::system::kNoMemory;
    int32_t r = c_ipread(*handle, type, d.data(), std::min(*maxlen, d.length()));
    d.copy_back(data, data_len);
    return r;
}
KT_FORTRAN_ALIAS(IPREAD, ipread_);

int32_t IPPEND(const int32_t *handles, const int32_t *n, const double *timeout, int32_t *ready) {
    return c_ippend(handles, *n, *timeout, ready);
}
KT_FORTRAN_ALIAS(IPPEND, ippend_);

int32_t IPAVAIL(const int32_t *handle, const double *timeout) { return c_ipavail(*handle, *timeout); }
KT_FORTRAN_ALIAS(IPAVAIL, ipavail_);

int32_t IPSETO(const int32_t *handle, const int32_t *option, const int32_t *value) {
    return c_ipseto(*handle, *option, *value);
}
KT_FORTRAN_ALIAS(IPSETO, ipseto_);

int32_t IPGETO(const int32_t *handle, const int32_t *option) { return c_ipgeto(*handle, *option); }
KT_FORTRAN_ALIAS(IPGETO, ipgeto_);

int32_t IPGETS(const int32_t *handle, const int32_t *option, char *text, const int32_t *maxlen, int32_t text_len) {
    FixedText t(text, text_len, FixedText::kKeep);
    if (!t.ok())
        return kt::system::kNoMemory;
    int32_t r = c_ipgets(*handle, *option, t.data(), std::min(*maxlen, t.length()));
    t.copy_back(text, text_len);
    return r;
}
KT_FORTRAN_ALIAS(IPGETS, ipgets_);

int32_t IPCLOS(const int32_t *handle) { return c_ipclos(*handle); }
KT_FORTRAN_ALIAS(IPCLOS, ipclos_);

// The sizes are explicit arguments; they are kept within the declared lengths.
int32_t GTPEER(const int32_t *fd, char *name, const int32_t *namelen, int32_t *port, char *addr, const int32_t *addrlen,
               int32_t name_len, int32_t addr_len) {
    return c_gtpeer(*fd, name, std::min(*namelen, name_len), port, addr, std::min(*addrlen, addr_len));
}
KT_FORTRAN_ALIAS(GTPEER, gtpeer_);

} // extern "C"
