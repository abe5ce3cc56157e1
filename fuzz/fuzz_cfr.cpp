// Feeds arbitrary bytes to CFR as a field file. Whatever it reads must be a
// valid table that CFW writes and CFR reads back value for value (names
// that no line can hold, the empty name, aside), and freeing the tables
// must return every byte of the store.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_util.h"
#include "kt/fields.h"
#include "support/field_view.h"

using kt::fuzz::check;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const std::string in = kt::fuzz::scratch_path("cfr_in"), out = kt::fuzz::scratch_path("cfr_out");
    kt::fuzz::write_file(in, data, size);

    int64_t baseline = kt_host_store_bytes_in_use();
    int32_t t = 0, back = 0, status = 0;
    c_cfi(&t);
    c_cfr(t, in.c_str(), &status);
    kt::test::Fields read = kt::test::fields_of(t);
    bool representable = true;
    for (const kt::test::Field &field : read)
        representable = representable && !field.first.empty();
    if (representable && c_cfw(t, out.c_str(), &status) == 0) {
        c_cfi(&back);
        check(c_cfr(back, out.c_str(), &status) == 0);
        check(kt::test::fields_of(back) == read);
        c_cfd(&back);
    }
    c_cfd(&t);
    check(kt_host_store_bytes_in_use() == baseline);
    kt_host_reset_errors();
    return 0;
}
