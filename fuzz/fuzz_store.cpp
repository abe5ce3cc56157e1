// Drives the word store, lists and strings with operation sequences decoded
// from the input, checking every live structure against a plain model.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "kt/host.h"
#include "kt/store.h"
#include "support/store_view.h"

namespace {

struct Block {
    int32_t index, elsize, count;
    uint8_t fill;
};

struct Reader {
    const uint8_t *p, *end;
    uint8_t byte() { return p < end ? *p++ : 0; }
    int32_t small(int32_t limit) { return static_cast<int32_t>((byte() | (byte() << 8)) % (limit + 1)); }
};

void check(bool ok) {
    if (!ok)
        std::abort();
}

void fill(const Block &b) { std::memset(kt_block_ptr(b.index, b.elsize), b.fill, static_cast<size_t>(b.count) * b.elsize); }

void verify(const Block &b) {
    const auto *p = static_cast<const uint8_t *>(kt_block_ptr(b.index, b.elsize));
    for (int64_t i = 0; i < int64_t{b.count} * b.elsize; ++i)
        check(p[i] == b.fill);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const int64_t baseline = kt_host_store_bytes_in_use();
    Reader in{data, data + size};
    std::vector<Block> blocks;
    int32_t list = 0, string = 0;
    std::vector<int32_t> model_list;
    std::string model_string;
    const int32_t sizes[] = {1, 4, 8};

    kt_host_fail_store_after(in.byte() == 0xff ? in.small(40) : -1);
    while (in.p < in.end) {
        uint8_t op = in.byte() % 8;
        if (op == 0) {
            Block b{0, sizes[in.byte() % 3], in.small(3000), in.byte()};
            int32_t cls = -(in.byte() & 1), st = 0;
            if (GSTORE(&b.count, &b.index, &b.elsize, &cls, &st) == 0) {
                check(b.index != 0);
                fill(b);
                blocks.push_back(b);
            }
        } else if (op == 1 && !blocks.empty()) {
            Block &b = blocks[in.byte() % blocks.size()];
            int32_t n = in.small(5000), st = 0;
            if (XSTORE(&n, &b.index, &b.elsize, &b.count, &st) == 0) {
                if (n < b.count)
                    b.count = n;
                verify(b);
                b.count = n;
                fill(b);
            }
        } else if (op == 2 && !blocks.empty()) {
            size_t k = in.byte() % blocks.size();
            verify(blocks[k]);
            FSTORE(&blocks[k].count, &blocks[k].index, &blocks[k].elsize);
            check(blocks[k].index == 0);
            blocks.erase(blocks.begin() + static_cast<ptrdiff_t>(k));
        } else if (op == 3) {
            int32_t v = in.small(100000);
            if (!list) {
                int32_t cap = in.small(5), kind = 1;
                LSTI(&cap, &kind, &list);
            } else if (LSTE(&list, &v)) {
                model_list.push_back(v);
            }
        } else if (op == 4 && list) {
            if (LSTA(&list, &list))
                model_list.insert(model_list.end(), model_list.begin(), model_list.end());
            if (model_list.size() > 20000) {
                LSTD(&list);
                model_list.clear();
            }
        } else if (op == 5) {
            int32_t n = in.small(64);
            std::string piece(static_cast<size_t>(n), static_cast<char>('a' + in.byte() % 26));
            if (STRAPA(piece.data(), &n, &string, n))
                model_string += piece;
            else
                model_string.clear();
        } else if (op == 6 && string) {
            int32_t from = in.small(static_cast<int32_t>(model_string.size()));
            int32_t n = static_cast<int32_t>(model_string.size()) - from;
            const char *own = kt_cptr(kt_icell(string + 1) + 1) + from;
            std::string piece = model_string.substr(static_cast<size_t>(from));
            if (STRAPA(own, &n, &string, n))
                model_string += piece;
            else
                model_string.clear();
            if (model_string.size() > 100000) {
                STRFS(&string);
                model_string.clear();
            }
        } else if (op == 7 && string) {
            int32_t n = in.small(static_cast<int32_t>(model_string.size()) + 10);
            if (STRXS(&n, &string))
                model_string.resize(static_cast<size_t>(n), '\0');
            else
                model_string.clear();
            if (string)
                for (size_t i = 0; i < model_string.size(); ++i)
                    model_string[i] = kt_cptr(kt_icell(string + 1) + 1)[i];
        }
        if (list)
            check(kt::test::list_values(list) == model_list);
        if (string) {
            check(kt::test::string_text(string) == model_string);
            check(kt::test::string_terminator(string) == '\0');
        }
    }
    kt_host_fail_store_after(-1);
    for (Block &b : blocks)
        FSTORE(&b.count, &b.index, &b.elsize);
    LSTD(&list);
    STRFS(&string);
    check(kt_host_store_bytes_in_use() == baseline);
    return 0;
}
