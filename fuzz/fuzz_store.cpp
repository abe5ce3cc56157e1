// Drives the word store, lists and strings with operation sequences decoded
// from the input, checking every live structure against a plain model.
//
// Checks read the store in place and allocate nothing: after each operation
// the part it changed, and everything before the structure is dropped and
// at the end of the run. A run's cost stays proportional to what it does,
// and no memory is churned through the sanitizer's quarantine.
#include <algorithm>
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

constexpr size_t kMaxListEntries = 20000, kMaxStringLength = 100000;

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

void fill(const Block &b) {
    std::memset(kt_block_ptr(b.index, b.elsize), b.fill, static_cast<size_t>(b.count) * b.elsize);
}

// Every byte equals the first, and the first is the fill.
void verify(const Block &b) {
    const auto *p = static_cast<const uint8_t *>(kt_block_ptr(b.index, b.elsize));
    size_t n = static_cast<size_t>(b.count) * static_cast<size_t>(b.elsize);
    check(n == 0 || (p[0] == b.fill && std::memcmp(p, p + 1, n - 1) == 0));
}

// Entries from..count of the list against the model.
void verify(int32_t list, const std::vector<int32_t> &model, size_t from) {
    check(kt::test::list_count(list) == static_cast<int32_t>(model.size()));
    check(kt::test::list_capacity(list) >= kt::test::list_count(list));
    const int32_t *entries = kt_iptr(kt_icell(list + 1) + 1);
    check(from == model.size() ||
          std::memcmp(entries + from, model.data() + from, (model.size() - from) * sizeof(int32_t)) == 0);
}

const char *chars_of(int32_t string) { return kt_cptr(kt_icell(string + 1) + 1); }

// Characters from..length of the string against the model, and its terminator.
void verify(int32_t string, const std::string &model, size_t from) {
    check(kt::test::string_length(string) == static_cast<int32_t>(model.size()));
    check(from == model.size() || std::memcmp(chars_of(string) + from, model.data() + from, model.size() - from) == 0);
    check(kt::test::string_terminator(string) == '\0');
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const int64_t baseline = kt_host_store_bytes_in_use();
    Reader in{data, data + size};
    // Kept from run to run with their room, so that a run allocates nothing.
    static std::vector<Block> blocks;
    static std::vector<int32_t> model_list;
    static std::string model_string;
    blocks.clear();
    model_list.clear();
    model_string.clear();
    model_list.reserve(2 * kMaxListEntries);
    model_string.reserve(2 * kMaxStringLength);
    int32_t list = 0, string = 0;
    const int32_t sizes[] = {1, 4, 8};

    kt_host_fail_store_after(in.byte() == 0xff ? in.small(40) : -1);
    while (in.p < in.end) {
        const size_t list_before = model_list.size(), string_before = model_string.size();
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
            if (LSTA(&list, &list)) {
                size_t n = model_list.size();
                model_list.resize(2 * n);
                std::memcpy(model_list.data() + n, model_list.data(), n * sizeof(int32_t));
            }
            if (model_list.size() > kMaxListEntries) {
                verify(list, model_list, 0);
                LSTD(&list);
                model_list.clear();
            }
        } else if (op == 5) {
            char piece[64];
            int32_t n = in.small(64);
            const char letter = static_cast<char>('a' + in.byte() % 26);
            std::memset(piece, letter, sizeof piece);
            if (STRAPA(piece, &n, &string, n))
                model_string.append(static_cast<size_t>(n), letter);
            else
                model_string.clear();
        } else if (op == 6 && string) {
            int32_t from = in.small(static_cast<int32_t>(model_string.size()));
            int32_t n = static_cast<int32_t>(model_string.size()) - from;
            if (STRAPA(chars_of(string) + from, &n, &string, n))
                model_string.append(model_string, static_cast<size_t>(from), static_cast<size_t>(n));
            else
                model_string.clear();
            if (model_string.size() > kMaxStringLength) {
                verify(string, model_string, 0);
                STRFS(&string);
                model_string.clear();
            }
        } else if (op == 7 && string) {
            size_t old = model_string.size();
            int32_t n = in.small(static_cast<int32_t>(old) + 10);
            if (STRXS(&n, &string))
                model_string.resize(static_cast<size_t>(n), '\0');
            else
                model_string.clear();
            // Characters a lengthening adds are undefined: take them as they are.
            if (string && model_string.size() > old)
                model_string.replace(old, std::string::npos, chars_of(string) + old, model_string.size() - old);
        }
        if (list)
            verify(list, model_list, std::min(list_before, model_list.size()));
        if (string)
            verify(string, model_string, std::min(string_before, model_string.size()));
    }
    kt_host_fail_store_after(-1);
    for (Block &b : blocks) {
        verify(b);
        FSTORE(&b.count, &b.index, &b.elsize);
    }
    if (list)
        verify(list, model_list, 0);
    if (string)
        verify(string, model_string, 0);
    LSTD(&list);
    STRFS(&string);
    check(kt_host_store_bytes_in_use() == baseline);
    return 0;
}
