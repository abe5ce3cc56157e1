// %{name} substitution against the model on strings, names and values
// decoded from the input, sometimes with the word store refusing to
// lengthen the string: then the string must be exactly as it was, the
// result -1, and in every case no block may be left behind.
#include <cstdint>
#include <cstdlib>

#include "kt/host.h"
#include "kt/text.h"
#include "support/store_view.h"
#include "text_checks.h"

using namespace kt::text_test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const int64_t baseline = kt_host_store_bytes_in_use();
    if (size < 3)
        return 0;
    const bool refuse = data[0] & 1;
    size_t name_len = data[1] % 6, value_len = data[2] % 24;
    std::string rest(reinterpret_cast<const char *>(data) + 3, size - 3);
    std::string name = rest.substr(0, name_len);
    rest = rest.substr(name.size());
    std::string value = rest.substr(0, value_len);
    std::string before = rest.substr(value.size());

    std::string expected = before;
    int32_t expected_count = reference_substitute(expected, name, value);
    int32_t s = kt::test::make_string(before);
    require(s != 0);
    Exact n(name), v(value);
    int32_t count = -9;
    kt_host_reset_errors();
    if (refuse)
        kt_host_fail_store_after(0);
    int32_t r = STRSUB(&s, n.get(), v.get(), &count, n.n, v.n);
    kt_host_fail_store_after(-1);
    require(r == count);
    if (refuse && expected.size() > before.size() && expected_count > 0) {
        require(r == -1 && kt::test::string_text(s) == before && kt_host_error_count() == 1);
    } else {
        require(r == expected_count && kt::test::string_text(s) == expected);
    }
    require(kt::test::string_terminator(s) == '\0');
    STRFS(&s);
    require(kt_host_store_bytes_in_use() == baseline);
    return 0;
}
