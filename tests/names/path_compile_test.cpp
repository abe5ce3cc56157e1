// Compiled paths: random paths of the plain forms against a model of their
// records and sequence rules, the other forms by example, and the single
// report of a broken rule.
#include <gtest/gtest.h>

#include <random>
#include <sstream>

#include "kt/iar.h"
#include "names_test_util.h"
#include "support/store_view.h"

using namespace kt::names_test;

namespace {

int32_t index_of(std::string name, int32_t table) {
    for (char &c : name)
        c = kt::text_test::lower(c);
    int32_t index = 0, len = static_cast<int32_t>(name.size());
    STE(&table, name.data(), &len, &index, len);
    return index;
}

// "0x2421 =top 3": codes in hex, "=name" the name's index in the table,
// other words plain numbers.
std::vector<int32_t> cells_of(const std::string &expected, int32_t table) {
    std::vector<int32_t> cells;
    std::istringstream in(expected);
    std::string w;
    while (in >> w)
        cells.push_back(w[0] == '=' ? index_of(w.substr(1), table) : static_cast<int32_t>(std::stol(w, nullptr, 0)));
    return cells;
}

std::vector<int32_t> record_cells(int32_t record) {
    std::vector<int32_t> cells;
    for (int32_t i = 1; i <= kt_icell(record + 2); ++i)
        cells.push_back(kt_icell(kt_icell(record + 1) + i));
    return cells;
}

int32_t compile(const std::string &path, int32_t table) {
    kt::text_test::Exact text(path);
    int32_t out = -1;
    int32_t result = SEPTHI(text.get(), &text.n, &table, &out, text.n);
    EXPECT_EQ(result, out) << path;
    return result;
}

// A path of the plain forms and what compiling it must give: its cells, or
// a syntax error (a number beyond 32 bits), and the first broken rule.
struct Model {
    std::string path;
    std::vector<int32_t> cells;
    bool syntax = false, wild_step = false, wild_leaf = false;
    int32_t rule = 0;

    void token(int32_t code, std::vector<int32_t> values = {}) {
        if (syntax)
            return;
        if (rule == 0 && wild_step && (code == KT_PATH_UP || code == KT_PATH_ROOT))
            rule = 7056; // ".." or root after "...", "a.*", "*.b" or "*.*"
        else if (rule == 0 && wild_leaf && (code == KT_PATH_NAME || code == KT_PATH_ANY))
            rule = 7003; // a leaf after "*"
        wild_step = wild_step || code == KT_PATH_ANY_LEVELS || code == KT_PATH_NAME_ANY ||
                    code == KT_PATH_ANY_NAME || code == KT_PATH_ANY_ANY;
        wild_leaf = wild_leaf || code == KT_PATH_ANY;
        cells.push_back(code);
        cells.insert(cells.end(), values.begin(), values.end());
    }
};

Model random_path(std::mt19937 &rng, int32_t table) {
    auto pick = [&rng](unsigned n) { return static_cast<int>(rng() % n); };
    const char *const names[] = {"top", "X1", "r2", "Bus", "q", "net_7", "across", "THROUGH"};
    auto name = [&] { return std::string(names[pick(8)]); };
    // A selection number as written, and whether it fits 32 bits.
    auto number = [&](int64_t &value) {
        const int64_t edges[] = {0, 7, -3, INT32_MAX, INT32_MIN, int64_t{INT32_MAX} + 1, int64_t{INT32_MIN} - 1,
                                 int64_t{1} << 32, -(int64_t{1} << 40)};
        value = pick(3) ? pick(100) - 20 : edges[pick(9)];
        return std::string(pick(8) ? "" : value < 0 ? "" : "+") + std::to_string(value);
    };
    Model m;
    if (pick(3) == 0) {
        m.path = "/";
        m.token(KT_PATH_ROOT);
    }
    int levels = pick(10) ? 1 + pick(6) : 30; // long paths outgrow the first cells
    for (int level = 0; level < levels && !m.syntax; ++level) {
        bool selected = false;
        std::string a = name(), b = name();
        switch (pick(10)) {
        case 0:
            m.path += a + "." + b;
            m.token(KT_PATH_QUALIFIED, {index_of(a, table), index_of(b, table)});
            break;
        case 1:
            m.path += a + ".*";
            m.token(KT_PATH_NAME_ANY, {index_of(a, table)});
            break;
        case 2:
            m.path += "*." + b;
            m.token(KT_PATH_ANY_NAME, {index_of(b, table)});
            break;
        case 3: {
            const bool both = pick(2);
            m.path += both ? "*.*" : "*";
            m.token(both ? KT_PATH_ANY_ANY : KT_PATH_ANY);
            break;
        }
        case 4: {
            const int count = 1 + pick(3);
            m.path += std::string(count, '.');
            m.token(count == 1 ? KT_PATH_HERE : count == 2 ? KT_PATH_UP : KT_PATH_ANY_LEVELS);
            break;
        }
        case 5: {
            m.path += a + "[";
            m.token(KT_PATH_NAME, {index_of(a, table)});
            for (int item = pick(3); item >= 0; --item) {
                int64_t v1 = 0, v2 = 0;
                std::string n1 = number(v1), n2 = number(v2);
                bool fits1 = v1 == static_cast<int32_t>(v1), fits2 = v2 == static_cast<int32_t>(v2);
                switch (pick(5)) {
                case 0:
                    m.path += n1;
                    m.syntax = m.syntax || !fits1;
                    m.token(KT_PATH_INDEX, {static_cast<int32_t>(v1)});
                    break;
                case 1:
                    m.path += "*";
                    m.token(KT_PATH_INDEX_ANY);
                    break;
                case 2:
                    m.path += n1 + ":" + n2;
                    m.syntax = m.syntax || !fits1 || !fits2;
                    m.token(KT_PATH_RANGE, {static_cast<int32_t>(v1), static_cast<int32_t>(v2)});
                    break;
                case 3:
                    m.path += n1 + ":*";
                    m.syntax = m.syntax || !fits1;
                    m.token(KT_PATH_RANGE_FROM, {static_cast<int32_t>(v1)});
                    break;
                default:
                    m.path += "*:" + n2;
                    m.syntax = m.syntax || !fits2;
                    m.token(KT_PATH_RANGE_TO, {static_cast<int32_t>(v2)});
                    break;
                }
                m.path += item > 0 ? "," : "]";
            }
            selected = true;
            break;
        }
        default:
            m.path += a;
            m.token(KT_PATH_NAME, {index_of(a, table)});
            break;
        }
        // A name or a dot step takes the "/" after it; after "]" it is a token.
        if (level + 1 < levels) {
            m.path += "/";
            if (selected)
                m.token(KT_PATH_SEPARATOR);
        }
    }
    return m;
}

TEST(PathCompileTest, RandomPlainPathsMatchTheirModel) {
    std::mt19937 rng(5101);
    for (int i = 0; i < 3000; ++i) {
        kt_host_reset_errors();
        int64_t baseline = kt_host_store_bytes_in_use();
        int32_t table = fresh_table();
        Model m = random_path(rng, table);
        int32_t record = compile(m.path, table);
        ASSERT_EQ(kt_host_error_count(), m.rule ? 1 : 0) << m.path;
        EXPECT_EQ(kt_host_error_number(1), m.rule) << m.path;
        if (m.syntax || m.rule) {
            ASSERT_EQ(record, 0) << m.path;
            EXPECT_EQ(kt_host_store_bytes_in_use(), baseline) << m.path;
        } else {
            ASSERT_NE(record, 0) << m.path;
            EXPECT_EQ(record_cells(record), m.cells) << m.path;
            IARFS(&record);
        }
    }
    kt_host_reset_errors();
}

std::string repeated(const std::string &s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

TEST(PathCompileTest, OtherFormsGiveTheirRecords) {
    const struct {
        std::string path, cells;
    } cases[] = {
        {"", ""},
        {"bus[2:*],*]", "0x2421 =bus 0x380D 2 0x300C"},
        {"across(p)", "0x5C40 0x2421 =p"},
        {"v(x)", "0x5041 =v 0x2421 =x"},
        // Every "(" looks ahead to the same ")" or ".".
        {repeated("through(", 5000) + "x)", repeated("0x5840 ", 5000) + "0x2421 =x"},
        {repeated("through(", 5000) + "a.b)", repeated("0x2421 =through ", 5000) + "0x1412 =a =b"},
    };
    for (const auto &c : cases) {
        kt_host_reset_errors();
        int32_t table = fresh_table(), record = compile(c.path, table);
        ASSERT_NE(record, 0) << c.path.substr(0, 40);
        EXPECT_EQ(record_cells(record), cells_of(c.cells, table)) << c.path.substr(0, 40);
        EXPECT_EQ(kt_host_error_count(), 0) << c.path.substr(0, 40);
        IARFS(&record);
    }
}

// Reading goes on after a broken rule, and only the first is reported; a
// syntax error gives 0 without a message.
TEST(PathCompileTest, RefusedPathsReportOnlyTheFirstBrokenRule) {
    const struct {
        const char *path;
        int32_t error;
    } cases[] = {
        {".../(/x", 7056}, {"*.*/../*/a", 7056}, {"*/a/b.c.d", 7003}, {"bus[x]", 0}, {"x[", 0}, {")/a", 0},
    };
    for (const auto &c : cases) {
        kt_host_reset_errors();
        int64_t baseline = kt_host_store_bytes_in_use();
        EXPECT_EQ(compile(c.path, fresh_table()), 0) << c.path;
        EXPECT_EQ(kt_host_error_count(), c.error ? 1 : 0) << c.path;
        EXPECT_EQ(kt_host_error_number(1), c.error) << c.path;
        EXPECT_EQ(kt_host_store_bytes_in_use(), baseline) << c.path;
    }
    kt_host_reset_errors();
}

} // namespace
