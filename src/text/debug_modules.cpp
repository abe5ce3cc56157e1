// Debug values of the engine modules, set by module name.
//
// SDBCBL holds one value per entry of the name table; entries 89 to 100
// are blank and name nothing, so no name, not even an empty or blank one,
// selects them. A name must be given whole: "mxs" is entry 1, never a
// prefix of "mxs1". Bit 0 of the value of "vsystem" is passed on to the
// host after every successful SDBE.
//
// C code reaches the values as SDBCBL, Fortran code as its COMMON block
// sdbcbl_. A Fortran program allocates that block itself, and the dynamic
// linker then binds the name there rather than to this library's array, so
// every write goes to both names; when nobody else defines them they are
// one array.
#include <cstring>

#include "common/fortran_alias.h"
#include "kt/host.h"
#include "kt/text.h"

namespace {

constexpr int32_t kEntries = 100, kNameWidth = 8, kSystemEntry = 46;

constexpr const char *kModules[] = {
    "mxs",     "mxs1",     "floadl",   "fsrce",  "fsrcez",   "matrix",  "smodl3",  "ssrce",    "fprerg", "widex",
    "qiv",     "savalc",   "rgmup",    "lu",     "order1",   "smodl2",  "dec",     "bind",     "pl_set", "pleva1",
    "sapnts",  "smodl1",   "smodl3t",  "instev", "sloadl",   "cmpi",    "xpre",    "ineval",   "tmplp",  "tan",
    "smpi",    "smpi_ds",  "xeval",    "smpieq", "sextra",   "idcin",   "nfactd",  "tmpt",     "timing", "order",
    "disto",   "outie",    "fouana",   "fft",    "ipextr",   "vsystem", "su",      "mxtin8",   "fsonr",  "rgin1",
    "edinit",  "bind_ad",  "cgen",     "ceval",  "trace",    "ceval1",  "edeval",  "schedule", "ic",     "thresh",
    "traceon", "sample_p", "ns_limit", "newrg",  "nocomprs", "tran",    "flat",    "dcleq",    "fcnt",   "hgen",
    "hgen1",   "which",    "noload",   "loaded", "fvt",      "ww",      "derate",  "pz",       "t_pf1",  "qfl",
    "fqflow",  "noquit",   "sass",     "cnr",    "t_cnr",    "rngset",  "deprec8", "dams",
};
constexpr int32_t kNamed = sizeof kModules / sizeof kModules[0];
static_assert(kNamed == 88 && kNamed <= kEntries, "88 named modules");

// 1-based entry named by the n characters (blank-padded like the table), or 0.
int32_t find_module(const char *name, int32_t n) {
    if (n < 1 || n > kNameWidth)
        return 0;
    for (int32_t i = 0; i < kNamed; ++i) {
        char entry[kNameWidth];
        std::memset(entry, ' ', kNameWidth);
        std::memcpy(entry, kModules[i], std::strlen(kModules[i]));
        if (UISCMP(name, &n, entry, &n, n, kNameWidth) == 0 && (n == kNameWidth || entry[n] == ' '))
            return i + 1;
    }
    return 0;
}

} // namespace

extern "C" {

int32_t SDBCBL[kEntries] = {};
KT_FORTRAN_ALIAS(SDBCBL, sdbcbl_);

} // extern "C"

namespace {

void set_value(int32_t entry, int32_t value) {
    SDBCBL[entry - 1] = value;
    sdbcbl_[entry - 1] = value;
}

// Bit 0 of the system entry, as either kind of caller may have set it.
int32_t system_flag() { return (SDBCBL[kSystemEntry - 1] | sdbcbl_[kSystemEntry - 1]) & 1; }

} // namespace

extern "C" {

int32_t SDBE(const char *name, const int32_t *n, const int32_t *value, int32_t *status, int32_t name_len) {
    (void)name_len; // the explicit count rules
    int32_t entry = find_module(name, *n);
    if (entry == 0)
        return *status = 1;
    set_value(entry, *value);
    const int32_t flag = system_flag();
    VSDEBUG(&flag);
    return *status = 0;
}
KT_FORTRAN_ALIAS(SDBE, sdbe_);

void SDBI(void) {
    for (int32_t entry = 1; entry <= kEntries; ++entry)
        set_value(entry, 0);
}
KT_FORTRAN_ALIAS(SDBI, sdbi_);

} // extern "C"
