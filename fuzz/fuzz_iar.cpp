// Integer array records and binary blocks read from a unit that holds the
// input's bytes (after a two-byte prefix). Byte 0 chooses the reader
// (IARR, IARR2 or plain MMREAD requests) and a fault: reads cut short or
// interrupted, which must change nothing, or a failing device or a
// refusing store from the operation byte 1 names on, which may end the
// reading early but never with a wrong record, a failure taken for the
// end, or a block left behind. Every record must be what a plain parser of
// the same bytes finds; written back with IARW / IARW2 it must give the
// same bytes but for the data indices, which mean nothing on a unit.
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "kt/host.h"
#include "kt/iar.h"
#include "support/iar_view.h"

using kt::fuzz::check;

namespace {

enum Fault { kNone, kShort, kInterrupted, kDevice, kStore, kFaults };

int32_t le32(const std::string &f, size_t at) {
    uint32_t v = 0;
    for (size_t i = 0; i < 4; ++i)
        v |= static_cast<uint32_t>(static_cast<uint8_t>(f[at + i])) << (8 * i);
    return static_cast<int32_t>(v);
}

// The records a plain parser finds in the file, from `pos` on.
struct Parser {
    const std::string &f;
    size_t pos = 0;

    bool record(std::vector<int32_t> &out) {
        if (f.size() - pos < 8)
            return false;
        int64_t n = le32(f, pos + 4);
        if (n < 0 || static_cast<int64_t>((f.size() - pos - 8) / 4) < n)
            return false;
        out.clear();
        for (int64_t i = 0; i < n; ++i)
            out.push_back(le32(f, pos + 8 + 4 * static_cast<size_t>(i)));
        pos += 8 + 4 * static_cast<size_t>(n);
        return true;
    }
    bool nested(std::vector<std::vector<int32_t>> &out) {
        std::vector<int32_t> outer;
        if (!record(outer))
            return false;
        out.assign(outer.size(), {});
        for (auto &inner : out)
            if (!record(inner))
                return false;
        return true;
    }
};

// Checks a written record against what it was read as; the data index
// and, for the outer record of a nested one, its elements are not compared.
void expect_record(const std::string &w, size_t &at, const std::vector<int32_t> &values, bool indices) {
    check(w.size() - at >= 8 + 4 * values.size());
    check(le32(w, at + 4) == static_cast<int32_t>(values.size()));
    for (size_t i = 0; i < values.size() && !indices; ++i)
        check(le32(w, at + 8 + 4 * i) == values[i]);
    at += 8 + 4 * values.size();
}

struct Run {
    Fault fault;
    bool may_stop_early() const { return fault == kDevice || fault == kStore; }
};

void read_records(const Run &run, int32_t unit, const std::string &file, bool nested) {
    Parser model{file};
    std::vector<int32_t> read;
    for (;;) {
        std::vector<std::vector<int32_t>> expected;
        size_t before = model.pos;
        bool exists = nested ? model.nested(expected) : model.record(expected.emplace_back());
        int32_t r = 0;
        if (nested)
            IARR2(&unit, &r);
        else
            IARR(&unit, &r);
        if (r == 0) {
            check(!exists || run.may_stop_early());
            // A failing device is reported, never taken for the end.
            if (exists && run.fault == kDevice)
                check(kt_host_error_count() > 0 && kt_host_error_number(1) == 2064);
            model.pos = before;
            break;
        }
        check(exists);
        check(nested ? kt::test::iar2_values(r) == expected : kt::test::iar_values(r) == expected[0]);
        read.push_back(r);
    }
    kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
    kt_host_fail_store_after(-1);
    check(kt_host_close_unit(unit) == (kt_host_error_count() > 0 ? -1 : 0));

    // Written back, the records give the bytes they were read from.
    static const std::string out = kt::fuzz::scratch_path("iar_out");
    int32_t w = kt_host_open_unit(out.c_str(), "w"), status = -1;
    check(w > 0);
    for (int32_t r : read) {
        check((nested ? IARW2(&w, &r, &status) : IARW(&w, &r, &status)) == 0 && status == 0);
        if (nested)
            IARFS2(&r);
        else
            IARFS(&r);
        check(r == 0);
    }
    check(kt_host_close_unit(w) == 0);
    const std::string written = kt::fuzz::read_file(out);
    Parser again{file};
    size_t at = 0;
    for (size_t k = 0; k < read.size(); ++k) {
        std::vector<std::vector<int32_t>> expected;
        check(nested ? again.nested(expected) : again.record(expected.emplace_back()));
        if (nested) {
            expect_record(written, at, std::vector<int32_t>(expected.size()), true);
            for (const auto &inner : expected)
                expect_record(written, at, inner, false);
        } else {
            expect_record(written, at, expected[0], false);
        }
    }
    check(at == written.size());
}

// Plain MMREAD requests: (element size selector, signed count) pairs from
// the input, then the file.
void read_blocks(const Run &run, int32_t unit, kt::fuzz::Input &requests, const std::string &file) {
    static const int32_t kSizes[] = {1, 4, 8, 2, 0};
    size_t pos = 0;
    bool failed = false;
    while (!requests.done()) {
        int32_t elsize = kSizes[requests.byte() % 5], count = static_cast<int8_t>(requests.byte());
        int32_t index = -7, sclass = 0, status = -1;
        int32_t code = MMREAD(&unit, &count, &index, &elsize, &sclass, &status);
        check(code == status);
        if (elsize != 1 && elsize != 4 && elsize != 8) {
            check(code == 1 && index == -7);
            continue;
        }
        if (count < 0) {
            check(code == 1 && index == -7);
            continue;
        }
        // A unit that failed once moves nothing more.
        if (failed || code == 3) {
            check(code == 3 && run.fault == kDevice && index == -7);
            failed = true;
            continue;
        }
        if (code == 2) {
            check(run.fault == kStore && index == -7);
            continue;
        }
        size_t bytes = static_cast<size_t>(count) * static_cast<size_t>(elsize);
        if (file.size() - pos < bytes) {
            check(code == 1 && index == -7);
            pos = file.size();
            continue;
        }
        check(code == 0 && index != 0);
        check(std::memcmp(kt_block_ptr(index, elsize), file.data() + pos, bytes) == 0);
        pos += bytes;
        FSTORE(&count, &index, &elsize);
    }
    kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
    kt_host_fail_store_after(-1);
    check(kt_host_close_unit(unit) == (failed ? -1 : 0));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const int64_t baseline = kt_host_store_bytes_in_use();
    static const std::string path = kt::fuzz::scratch_path("iar_in");
    kt::fuzz::Input in(data, size);
    const uint8_t mode = in.byte(), after = in.byte();
    const int reader = mode % 3;
    const Run run{static_cast<Fault>(mode / 3 % kFaults)};
    kt::fuzz::Input requests(in.p, 0);
    if (reader == 2) {
        size_t n = 2 * static_cast<size_t>(in.byte() % 32);
        requests = kt::fuzz::Input(in.p, n < in.left() ? n : in.left());
        in.p = requests.end;
    }
    const std::string file = in.rest();
    kt::fuzz::write_file(path, file.data(), file.size());

    kt_host_reset_errors();
    int32_t unit = kt_host_open_unit(path.c_str(), "r");
    check(unit > 0);
    static const int kHow[] = {0, KT_IO_SHORT, KT_IO_EINTR, KT_IO_FAIL};
    if (run.fault == kShort || run.fault == kInterrupted || run.fault == kDevice)
        kt_host_fail_io_after(KT_IO_READ, after, kHow[run.fault]);
    if (run.fault == kStore)
        kt_host_fail_store_after(after % 16);
    if (reader == 2)
        read_blocks(run, unit, requests, file);
    else
        read_records(run, unit, file, reader == 1);
    check(kt_host_store_bytes_in_use() == baseline);
    kt_host_reset_errors();
    return 0;
}
