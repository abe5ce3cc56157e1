// Helpers of the name tests: a path's tokens written as "kind:values"
// words, names shown as the text they were looked up with.
#ifndef KT_TESTS_NAMES_NAMES_TEST_UTIL_H
#define KT_TESTS_NAMES_NAMES_TEST_UTIL_H

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "kt/host.h"
#include "kt/names.h"
#include "text/text_models.h"

namespace kt::names_test {

// Each test uses fresh name tables, so indices never collide with old ones.
inline int32_t fresh_table() {
    static int32_t next = 7000;
    return ++next;
}

// "9:top 5:a,b 13:1,4 17", or ending "2@p" at a syntax error at p. Names have
// the token's index; kt_path_next and SEPTH1 read the same tokens; a token
// moves forward within the text, a syntax error stays where it is.
inline std::string tokens_of(const std::string &path, int32_t table = fresh_table()) {
    kt::text_test::Exact text(path), walked(path), stepped(path);
    kt_path_reader reader = {walked.get(), walked.n, table, 1, 0, 0};
    std::string out;
    int32_t pos = 1, step_pos = 1;
    for (int guard = 0; guard <= text.n + 1; ++guard) {
        kt_path_token t, w;
        int32_t before = pos, v1 = 0, v2 = 0, step_code = 0;
        int32_t code = kt_path_token_read(text.get(), text.n, &pos, table, &t);
        EXPECT_EQ(kt_path_next(&reader, &w), code) << path << " at " << before;
        EXPECT_EQ(SEPTH1(stepped.get(), &stepped.n, &step_pos, &table, &v1, &v2, &step_code, stepped.n), code);
        EXPECT_EQ((std::vector<int32_t>{w.v1, w.v2, reader.pos, v1, v2, step_pos, step_code}),
                  (std::vector<int32_t>{t.v1, t.v2, pos, t.v1, t.v2, pos, code}))
            << path;
        if (!out.empty())
            out += ' ';
        out += std::to_string(code >> 10 ? code >> 10 : code);
        EXPECT_LE(pos, text.n + 1) << path;
        if (code == KT_PATH_SYNTAX_ERROR || code == KT_PATH_END) {
            EXPECT_EQ(t.v1, 0);
            EXPECT_EQ(pos, code == KT_PATH_SYNTAX_ERROR || before > text.n ? before : pos) << path;
            return code == KT_PATH_END ? out : out + "@" + std::to_string(before);
        }
        EXPECT_GT(pos, before) << path;
        std::vector<std::string> values;
        for (int i = 0; i < 2; ++i) {
            if (t.name_start[i] == 0)
                continue;
            std::string name(text.get() + t.name_start[i] - 1, static_cast<size_t>(t.name_length[i]));
            int32_t index = 0, len = t.name_length[i];
            STE(&table, name.data(), &len, &index, len);
            EXPECT_EQ(index, i == 0 ? t.v1 : t.v2) << path << ": " << name;
            values.push_back(name);
        }
        if (values.empty() && (code & (KT_PATH_ONE_VALUE | KT_PATH_TWO_VALUES))) {
            values.push_back(std::to_string(t.v1));
            if (code & KT_PATH_TWO_VALUES)
                values.push_back(std::to_string(t.v2));
        }
        for (size_t i = 0; i < values.size(); ++i)
            out += (i ? "," : ":") + values[i];
    }
    ADD_FAILURE() << path << ": no end token";
    return out;
}

// Every text of up to max_pieces pieces, shortest first.
inline std::vector<std::string> short_texts(const std::vector<std::string> &pieces, size_t max_pieces) {
    std::vector<std::string> texts{""};
    for (size_t begin = 0, end = 1, n = 1; n <= max_pieces; begin = end, end = texts.size(), ++n)
        for (size_t i = begin; i < end; ++i)
            for (const std::string &p : pieces)
                texts.push_back(texts[i] + p);
    return texts;
}

} // namespace kt::names_test

#endif
