// The path tokenizer on any text: every token but the end moves forward
// and stays in the text (the sanitizer watches the reads); a walk that
// remembers what it saw ahead reads the same tokens; the compiler
// reports exactly the first broken sequence rule of the tokens read before
// any syntax error, and otherwise gives the codes and values the tokens
// gave, with nothing left in the store.
#include <cstdint>
#include <string>
#include <vector>

#include "kt/host.h"
#include "kt/iar.h"
#include "kt/names.h"
#include "text_checks.h"

using namespace kt::text_test;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    const std::string input(reinterpret_cast<const char *>(data), size);
    const int32_t table = 1;
    kt_host_reset_errors();
    int64_t baseline = kt_host_store_bytes_in_use();

    Exact tokens(input), walked(input);
    kt_path_reader reader = {walked.get(), walked.n, table, 1, 0, 0};
    std::vector<int32_t> cells;
    bool syntax_error = false, wild_step = false, wild_leaf = false;
    int32_t pos = 1, rule = 0;
    for (int32_t steps = 0;; ++steps) {
        require(steps <= tokens.n + 1);
        kt_path_token t;
        int32_t before = pos, code = kt_path_token_read(tokens.get(), tokens.n, &pos, table, &t);
        kt_path_token w;
        require(kt_path_next(&reader, &w) == code && reader.pos == pos && w.v1 == t.v1 && w.v2 == t.v2);
        if (code == KT_PATH_SYNTAX_ERROR) {
            require(pos == before && t.v1 == 0 && t.v2 == 0);
            syntax_error = true;
            break;
        }
        if (code == KT_PATH_END && before > tokens.n) {
            require(pos == before);
            break;
        }
        require(pos > before && pos <= tokens.n + 1);
        for (int i = 0; i < 2; ++i)
            require(t.name_start[i] == 0 || (t.name_start[i] >= 1 && t.name_length[i] >= 0 &&
                                             t.name_start[i] + t.name_length[i] <= tokens.n + 1));
        if (code == KT_PATH_END)
            break;
        if (rule == 0 && wild_step && (code == KT_PATH_UP || code == KT_PATH_ROOT))
            rule = 7056;
        else if (rule == 0 && wild_leaf && (code == KT_PATH_NAME || code == KT_PATH_ANY))
            rule = 7003;
        wild_step = wild_step || code == KT_PATH_ANY_LEVELS || code == KT_PATH_NAME_ANY || code == KT_PATH_ANY_NAME ||
                    code == KT_PATH_ANY_ANY;
        wild_leaf = wild_leaf || code == KT_PATH_ANY;
        cells.push_back(code);
        if (code & KT_PATH_ONE_VALUE)
            cells.push_back(t.v1);
        if (code & KT_PATH_TWO_VALUES) {
            cells.push_back(t.v1);
            cells.push_back(t.v2);
        }
    }

    Exact text(input);
    int32_t record = 0;
    int32_t result = SEPTHI(text.get(), &text.n, &table, &record, text.n);
    require(result == record);
    require(text.str() == tokens.str()); // both lower-cased the same names
    require(kt_host_error_count() == (rule ? 1 : 0) && kt_host_error_number(1) == rule);
    require((record != 0) == (!syntax_error && rule == 0));
    if (record != 0) {
        require(kt_icell(record + 2) == static_cast<int32_t>(cells.size()));
        for (size_t i = 0; i < cells.size(); ++i)
            require(kt_icell(kt_icell(record + 1) + static_cast<int32_t>(i) + 1) == cells[i]);
        IARFS(&record);
    }
    require(kt_host_store_bytes_in_use() == baseline);
    return 0;
}
