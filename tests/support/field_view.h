// Test helpers for field tables: a table's whole content as plain values,
// and tables built from such values.
#ifndef KT_TESTS_SUPPORT_FIELD_VIEW_H
#define KT_TESTS_SUPPORT_FIELD_VIEW_H

#include <string>
#include <utility>
#include <vector>

#include "kt/fields.h"
#include "support/store_view.h"

namespace kt::test {

using Field = std::pair<std::string, std::vector<std::string>>;
using Fields = std::vector<Field>;

inline Fields fields_of(int32_t table) {
    Fields out;
    int32_t n = 0;
    CFC(&table, &n);
    for (int32_t k = 1; k <= n; ++k) {
        int32_t name = 0, m = 0;
        c_cfxgn(table, k, &name);
        Field f{string_text(name), {}};
        c_cfxgc(table, k, &m);
        for (int32_t j = 1; j <= m; ++j) {
            int32_t v = 0;
            c_cfxgi(table, k, j, &v);
            f.second.push_back(string_text(v));
        }
        out.push_back(f);
    }
    return out;
}

// A table of the fields, appended through CFZSA as a reader would.
inline int32_t make_table(const Fields &fields) {
    int32_t t = 0;
    c_cfi(&t);
    for (const Field &f : fields) {
        int32_t name = make_string(f.first), k = 0, m = static_cast<int32_t>(f.second.size());
        std::vector<int32_t> values;
        for (const std::string &v : f.second)
            values.push_back(make_string(v));
        CFZSA(&t, &name, values.data(), &m, &k);
    }
    return t;
}

} // namespace kt::test

#endif
