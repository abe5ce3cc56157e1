// Every operation that reads or writes a file, run from one table: for
// k = 0, 1, 2, ... its k-th I/O call of the chosen kinds fails for good
// (KT_IO_FAIL), moves half the bytes from then on (KT_IO_SHORT) or is
// interrupted once (KT_IO_EINTR). Short and interrupted transfers must
// not change the result. A failure must be reported as documented and
// lose nothing: a file being replaced stays as it was, whatever was
// produced is a whole prefix of the fault-free result, and the word store
// gets every byte back. The walk ends at the first k the operation does
// not reach.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <functional>
#include <string>
#include <vector>

#include "host/host_test_util.h"
#include "kt/fields.h"
#include "kt/iar.h"
#include "support/field_view.h"
#include "support/iar_view.h"

using namespace kt::test;
using kt_host_test::slurp;
using kt_host_test::spit;

namespace {

struct Run {
    bool ok;            // the operation reported success
    std::string result; // what it produced: a file's bytes, lines or values read
};

struct Case {
    const char *name;
    int32_t ops;   // kinds of I/O call the faults go to, alone and together
    int32_t error; // the numbered error every failure reports; 0: none
    std::function<Run()> run;
    std::string kept = ""; // when set, what a failure must leave as the result
};

// Injects the fault into the k-th call of the kinds in `ops`, k = 0, 1, ...
void walk(const Case &c, const Run &clean, int32_t ops, int32_t how) {
    const int64_t baseline = kt_host_store_bytes_in_use();
    for (int32_t k = 0;; ++k) {
        ASSERT_LT(k, 500) << c.name << " never ends";
        SCOPED_TRACE(std::string(c.name) + ", kinds " + std::to_string(ops) + ", mode " + std::to_string(how) +
                     ", calls let through: " + std::to_string(k));
        kt_host_reset_errors();
        kt_host_fail_io_after(ops, k, how);
        const Run r = c.run();
        const bool reached = kt_host_io_count(ops) > k;
        kt_host_fail_io_after(KT_IO_ANY, -1, KT_IO_FAIL);
        EXPECT_EQ(kt_host_store_bytes_in_use(), baseline);
        const std::string sizes =
            std::to_string(r.result.size()) + " bytes, fault-free " + std::to_string(clean.result.size());
        if (r.ok) {
            EXPECT_TRUE(r.result == clean.result) << "a success that lost data: " << sizes;
            EXPECT_EQ(kt_host_error_count(), 0);
        } else {
            EXPECT_EQ(how, KT_IO_FAIL) << "a short or interrupted transfer made it fail";
            EXPECT_EQ(kt_host_error_count(), c.error ? 1 : 0);
            EXPECT_EQ(kt_host_error_number(1), c.error);
            EXPECT_EQ(r.result, c.kept.empty() ? clean.result.substr(0, r.result.size()) : c.kept) << sizes;
        }
        if (!reached) {
            EXPECT_TRUE(r.ok);
            return;
        }
    }
}

void drive(const Case &c) {
    kt_host_reset_errors();
    const Run clean = c.run();
    ASSERT_TRUE(clean.ok) << c.name;
    ASSERT_EQ(kt_host_error_count(), 0) << c.name;
    // Each kind alone, so that a fault in one is not hidden by the next
    // call failing too, then all together.
    const int32_t kinds[] = {KT_IO_READ, KT_IO_WRITE, KT_IO_CLOSE, c.ops};
    for (int32_t ops : kinds)
        for (int32_t how : {KT_IO_FAIL, KT_IO_SHORT, KT_IO_EINTR})
            if ((c.ops & ops) == ops)
                walk(c, clean, ops, how);
    kt_host_reset_errors();
}

// Fields as one text, field after field, so that whole fields read make a prefix.
std::string text_of(const Fields &fields) {
    std::string s;
    for (const Field &f : fields) {
        s += f.first + '=';
        for (const std::string &v : f.second)
            s += v + ';';
        s += '\n';
    }
    return s;
}

Fields big_table(int nfields) {
    Fields f;
    for (int k = 0; k < nfields; ++k)
        f.push_back({"f" + std::to_string(k), {std::to_string(k * 7), "a, b\\c", std::string(60 + k % 90, 'v')}});
    return f;
}

// `alone` holds only the file CFW replaces, so that a temporary left
// behind shows.
std::vector<Case> cases(const kt_host_test::TempDir &dir, const kt_host_test::TempDir &alone) {
    const std::string fields_in = dir.path + "/in.fields", replaced = alone.path + "/out.fields";
    const std::string listing = dir.path + "/listing", lines = dir.path + "/lines.txt";
    const std::string cells = dir.path + "/cells", records = dir.path + "/records", journal = dir.path + "/journal";
    // Inputs of several buffers each, so that a read fails part-way.
    int32_t t = make_table(big_table(300)), status = 0;
    c_cfw(t, fields_in.c_str(), &status);
    c_cfd(&t);
    std::string text;
    for (int i = 0; i < 1500; ++i)
        text += "line " + std::to_string(i) + std::string(static_cast<size_t>(i % 150), '.') + "\n";
    spit(lines, text + "no line end");
    std::vector<std::vector<int32_t>> inner;
    for (int i = 0; i < 40; ++i)
        inner.push_back(std::vector<int32_t>(static_cast<size_t>(100 + 13 * i), i));
    const std::string old = "old 1\n";

    return {
        {"CFR", KT_IO_READ | KT_IO_CLOSE, 2064,
         [=] {
             int32_t table = make_table({}), st = -1;
             bool ok = c_cfr(table, fields_in.c_str(), &st) == 0;
             std::string got = text_of(fields_of(table));
             c_cfd(&table);
             return Run{ok, got};
         }},
        {"CFW over a file", KT_IO_WRITE | KT_IO_CLOSE, 2064,
         [=, &alone] {
             spit(replaced, old);
             ::chmod(replaced.c_str(), 0640);
             int32_t table = make_table(big_table(700)), st = -1;
             bool ok = c_cfw(table, replaced.c_str(), &st) == 0;
             c_cfd(&table);
             struct stat sb;
             EXPECT_TRUE(::stat(replaced.c_str(), &sb) == 0 && (sb.st_mode & 0777) == 0640);
             std::string got = slurp(replaced) + "|";
             for (const std::string &name : alone.names())
                 got += name + " ";
             return Run{ok, got};
         },
         old + "|out.fields "},
        {"CFO to a unit (OOOPEN, OOPUSH, OOWRIT, OOCLOS)", KT_IO_WRITE | KT_IO_CLOSE, 2064,
         [=] {
             int32_t table = make_table(big_table(400)), unit = c_ooopen(listing.c_str());
             EXPECT_EQ(c_oopush(unit), unit);
             c_cfo(table, 1);
             c_oopop();
             c_ooclos(unit);
             c_cfd(&table);
             return Run{kt_host_error_count() == 0, slurp(listing)};
         }},
        // The written cells as MMREAD reads them back (not read when the write failed).
        {"MMWRIT, MMREAD", KT_IO_ANY, 0,
         [=] {
             const int32_t counts[] = {1000, 9000, 5};
             int32_t unit = kt_host_open_unit(cells.c_str(), "w"), s = 4, cls = 0, st = 0, code = 0;
             for (int32_t n : counts) {
                 int32_t block = kt_host_test::alloc(n, s);
                 kt_host_test::fill(block, s, n, n);
                 code |= MMWRIT(&unit, &n, &block, &s, &st);
                 c_fstore(n, &block, s);
             }
             bool ok = kt_host_close_unit(unit) == 0 && code == 0;
             unit = kt_host_open_unit(cells.c_str(), "r");
             std::string got;
             for (int32_t n : counts) {
                 int32_t block = 0;
                 if (!ok || (code = MMREAD(&unit, &n, &block, &s, &cls, &st)) != 0) {
                     EXPECT_TRUE(!ok || (code == 3 && kt_host_unit_error(unit) > 0)) << "failed read taken for the end";
                     ok = false;
                     break;
                 }
                 got.append(static_cast<const char *>(kt_block_ptr(block, s)), static_cast<size_t>(n) * 4);
                 c_fstore(n, &block, s);
             }
             kt_host_close_unit(unit);
             return Run{ok, got};
         }},
        // Read back rather than compared by bytes: stored data indices differ from run to run.
        {"IARW2 (unit closed by OOCLOS), IARR2", KT_IO_ANY, 2064,
         [=] {
             int32_t r = make_iar2(inner), unit = kt_host_open_unit(records.c_str(), "w"), st = -1;
             bool ok = IARW2(&unit, &r, &st) == 0;
             c_ooclos(unit);
             ok = ok && kt_host_error_count() == 0;
             IARFS2(&r);
             unit = kt_host_open_unit(records.c_str(), "r");
             ok = ok && IARR2(&unit, &r) != 0;
             EXPECT_TRUE(!ok || iar2_values(r) == inner) << "read back other than written";
             std::string got = ok ? testing::PrintToString(iar2_values(r)) : "";
             IARFS2(&r);
             kt_host_close_unit(unit);
             return Run{ok, got};
         }},
        {"IINEWS, IIGETL, IIOLDF", KT_IO_READ | KT_IO_CLOSE, 0,
         [=] {
             EXPECT_GT(IINEWS(lines.c_str(), static_cast<int32_t>(lines.size())), 0);
             char buf[64];
             int32_t cap = sizeof buf, len = 0, rc = 0;
             std::string got;
             while ((rc = IIGETL(buf, &cap, &len, cap)) == 0)
                 got.append(buf, static_cast<size_t>(len));
             if (rc == KT_INPUT_FAILED) {
                 EXPECT_NE(kt_host_input_error(), 0);
                 EXPECT_EQ(IIGETL(buf, &cap, &len, cap), -1) << "the failure is told once";
             }
             IIOLDF();
             return Run{rc == -1, got};
         }},
        {"the journal", KT_IO_WRITE | KT_IO_CLOSE, 0,
         [=] {
             bool ok = kt_host_journal(journal.c_str()) == 0;
             for (int i = 0; i < 2000; ++i) {
                 std::string record = "record " + std::to_string(i) + std::string(static_cast<size_t>(i % 40), '-');
                 ok = kt_host_write_record(1, record.data(), static_cast<int32_t>(record.size())) == 0 && ok;
             }
             ok = kt_host_journal(nullptr) == 0 && ok;
             return Run{ok, slurp(journal)};
         }},
    };
}

TEST(IoFaults, EveryCallOfEveryOperation) {
    kt_host_test::TempDir dir("io_faults"), alone("io_faults_cfw");
    ASSERT_FALSE(dir.path.empty() || alone.path.empty());
    for (const Case &c : cases(dir, alone))
        drive(c);
}

} // namespace
