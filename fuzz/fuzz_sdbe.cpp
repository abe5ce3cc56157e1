// Debug values set by module name. The input is a series of requests: a
// length byte n (any value, negative ones too), a value, and a name that
// fills a block of exactly max(n, 0) bytes. A request must set exactly
// the entry whose whole name the text gives, ignoring case and trailing
// blanks (n from 1 to 8), change no other value, report 0 or 1 both as result and status,
// and pass bit 0 of the vsystem entry to the host after every success.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "kt/host.h"
#include "kt/text.h"
#include "text/text_models.h"

using kt::fuzz::check;

namespace {

const char *const kModules[] = {
    "mxs",     "mxs1",     "floadl",   "fsrce",  "fsrcez",   "matrix",  "smodl3",  "ssrce",    "fprerg", "widex",
    "qiv",     "savalc",   "rgmup",    "lu",     "order1",   "smodl2",  "dec",     "bind",     "pl_set", "pleva1",
    "sapnts",  "smodl1",   "smodl3t",  "instev", "sloadl",   "cmpi",    "xpre",    "ineval",   "tmplp",  "tan",
    "smpi",    "smpi_ds",  "xeval",    "smpieq", "sextra",   "idcin",   "nfactd",  "tmpt",     "timing", "order",
    "disto",   "outie",    "fouana",   "fft",    "ipextr",   "vsystem", "su",      "mxtin8",   "fsonr",  "rgin1",
    "edinit",  "bind_ad",  "cgen",     "ceval",  "trace",    "ceval1",  "edeval",  "schedule", "ic",     "thresh",
    "traceon", "sample_p", "ns_limit", "newrg",  "nocomprs", "tran",    "flat",    "dcleq",    "fcnt",   "hgen",
    "hgen1",   "which",    "noload",   "loaded", "fvt",      "ww",      "derate",  "pz",       "t_pf1",  "qfl",
    "fqflow",  "noquit",   "sass",     "cnr",    "t_cnr",    "rngset",  "deprec8", "dams"};
constexpr int32_t kSystemEntry = 46;

// The 1-based entry whose blank-padded name starts with the text and has
// nothing more (a blank follows, or all eight characters were given), or 0.
// The twelve blank entries name nothing.
int32_t entry_of(const std::string &name, int32_t n) {
    if (n < 1 || n > 8)
        return 0;
    for (int32_t i = 0; i < 88; ++i) {
        std::string entry = kModules[i];
        entry.resize(8, ' ');
        if (kt::text_test::same_ignoring_case(name, entry.substr(0, static_cast<size_t>(n))) &&
            (n == 8 || entry[static_cast<size_t>(n)] == ' '))
            return i + 1;
    }
    return 0;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static_assert(sizeof kModules / sizeof kModules[0] == 88, "88 named modules");
    SDBI();
    kt::fuzz::Input in(data, size);
    std::vector<int32_t> model(100, 0);
    while (!in.done()) {
        const int32_t n = static_cast<int8_t>(in.byte()), value = in.i32();
        std::string name;
        for (int32_t i = 0; i < n; ++i)
            name += static_cast<char>(in.byte());
        kt::text_test::Exact text(name);
        const int32_t flag_before = kt_host_vsdebug();
        int32_t status = -1;
        const int32_t r = SDBE(text.get(), &n, &value, &status, text.n);
        const int32_t entry = entry_of(name, n);
        check(r == status && r == (entry ? 0 : 1));
        if (entry) {
            model[static_cast<size_t>(entry - 1)] = value;
            check(kt_host_vsdebug() == (model[kSystemEntry - 1] & 1));
        } else {
            check(kt_host_vsdebug() == flag_before);
        }
        check(std::memcmp(SDBCBL, model.data(), sizeof SDBCBL) == 0);
    }
    return 0;
}
