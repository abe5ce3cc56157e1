// Compiled paths against a model built from the token reader's tokens and
// the sequence rules (only the first broken rule is reported); refusals.
#include <gtest/gtest.h>

#include "kt/iar.h"
#include "names_test_util.h"
#include "support/iar_view.h"

using namespace kt::names_test;

namespace {

int32_t compile(const std::string &path, int32_t table) {
    kt::text_test::Exact text(path);
    int32_t out = -1, result = SEPTHI(text.get(), &text.n, &table, &out, text.n);
    EXPECT_EQ(result, out) << path;
    return result;
}

// What compiling a path must give: cells, or a syntax error, and a rule.
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
        wild_step = wild_step || code == KT_PATH_ANY_LEVELS || code == KT_PATH_NAME_ANY || code == KT_PATH_ANY_NAME ||
                    code == KT_PATH_ANY_ANY;
        wild_leaf = wild_leaf || code == KT_PATH_ANY;
        cells.push_back(code);
        cells.insert(cells.end(), values.begin(), values.end());
    }
};

// The model of a path from the token reader's tokens, in the same table.
Model read_path(const std::string &path, int32_t table) {
    Model m;
    m.path = path;
    kt::text_test::Exact text(path);
    kt_path_token t;
    for (int32_t pos = 1, code;
         !m.syntax && (code = kt_path_token_read(text.get(), text.n, &pos, table, &t)) != KT_PATH_END;) {
        m.syntax = code == KT_PATH_SYNTAX_ERROR;
        m.token(code, code & KT_PATH_TWO_VALUES  ? std::vector<int32_t>{t.v1, t.v2}
                      : code & KT_PATH_ONE_VALUE ? std::vector<int32_t>{t.v1}
                                                 : std::vector<int32_t>{});
    }
    return m;
}

// Compiling must give what the model says: the record, or 0 with the first
// broken rule reported once and nothing left in the store.
void expect_compiled_as(const Model &m, int32_t table) {
    kt_host_reset_errors();
    int64_t baseline = kt_host_store_bytes_in_use();
    int32_t record = compile(m.path, table);
    ASSERT_EQ(kt_host_error_count(), m.rule ? 1 : 0) << m.path;
    EXPECT_EQ(kt_host_error_number(1), m.rule) << m.path;
    if (m.syntax || m.rule) {
        ASSERT_EQ(record, 0) << m.path;
        EXPECT_EQ(kt_host_store_bytes_in_use(), baseline) << m.path;
    } else {
        ASSERT_NE(record, 0) << m.path;
        EXPECT_EQ(kt::test::iar_values(record), m.cells) << m.path;
        IARFS(&record);
    }
    kt_host_reset_errors();
}

std::string repeated(const std::string &s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i)
        out += s;
    return out;
}

// Every short text reads under the rules of tokens_of and compiles to its
// tokens; so do deep nestings, each "(" looking ahead to the same ")".
TEST(PathCompileTest, TextsReadAndCompileToTheirTokens) {
    int32_t table = fresh_table();
    const std::vector<std::string> pieces = {"/", ".", "*",  "[",      "]", ":", ",",      "(",       ")", "-",
                                             ">", "@", "\"", "@\"A\"", "x", "1", "across", "through", "v"};
    for (const std::string &t : short_texts(pieces, 4)) {
        tokens_of(t, table);
        expect_compiled_as(read_path(t, table), table);
    }
    for (const std::string &t : std::vector<std::string>{"bus[2:*],*]", repeated("through(", 5000) + "x)",
                                                         repeated("through(", 5000) + "a.b)"})
        expect_compiled_as(read_path(t, table), table);
}

// Each request refused in turn, alone: 0, error 2012 and nothing left in
// the store; once all are granted, the whole record. Each attempt enters
// its names in a new name table, whose requests are refused too.
TEST(PathCompileTest, RefusedStorageLeavesNothingBehind) {
    const std::string path = "/" + repeated("top[1,2:3]/", 20) + "x/a.b";
    int32_t whole = compile(path, fresh_table());
    ASSERT_NE(whole, 0);
    const std::vector<int32_t> cells = kt::test::iar_values(whole);
    IARFS(&whole);
    for (int32_t grants = 0;; ++grants) {
        ASSERT_LT(grants, 100) << "never compiled";
        kt_host_reset_errors();
        const int64_t baseline = kt_host_store_bytes_in_use();
        const int32_t table = fresh_table();
        kt_host_fail_alloc_window(grants, 1);
        int32_t record = compile(path, table);
        kt_host_fail_alloc_after(-1);
        if (record != 0) {
            EXPECT_EQ(kt::test::iar_values(record), cells);
            EXPECT_EQ(kt_host_error_count(), 0);
            IARFS(&record);
            break;
        }
        EXPECT_EQ(kt_host_error_number(1), 2012) << grants;
        EXPECT_EQ(kt_host_store_bytes_in_use(), baseline) << grants;
    }
    kt_host_reset_errors();
}

} // namespace
