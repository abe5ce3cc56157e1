// The case-insensitive hash of the symbol tables, which only the library
// itself uses: reached through the static library.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

#include "kt/host.h"
#include "kt/st.h"
#include "packages/low_strhash.h"

namespace {

TEST(LowStrhashTest, FoldsAsciiLettersOnly) {
    struct Case {
        const char *key, *folded;
    } cases[] = {{"AbC", "abc"}, {"[_@]", "[_@]"}, {"Z9`{", "z9`{"}, {"\xc4\xd6", "\xc4\xd6"}, {"", ""}};
    for (const Case &c : cases)
        for (int modulus : {1, 7, 1000, 65521})
            EXPECT_EQ(low_strhash(c.key, modulus), st_strhash(c.folded, modulus)) << c.key;
    EXPECT_EQ(low_strhash("'je<{/", 1000), 648); // the state -2^31 lands in range
}

TEST(LowStrhashTest, CaseInsensitiveTables) {
    st_table *t = st_init_table(kt_stricmp, low_strhash);
    const char *names[] = {"Clock", "RESET", "data_in", "Q"};
    for (intptr_t i = 0; i < 4; ++i)
        st_insert(t, names[i], reinterpret_cast<void *>(i + 1));
    std::vector<std::string> fillers; // enough to grow the table a few times
    for (int i = 0; i < 200; ++i)
        fillers.push_back("Sig" + std::to_string(i));
    for (const std::string &f : fillers)
        st_insert(t, f.c_str(), nullptr);
    EXPECT_EQ(t->bin_count, 47);
    struct Probe {
        const char *name;
        intptr_t record;
    } probes[] = {{"clock", 1}, {"CLOCK", 1}, {"reset", 2}, {"Data_In", 3}, {"q", 4}, {"qq", 0}, {"SIG199", 0}};
    for (const Probe &p : probes) {
        void *r = nullptr;
        EXPECT_EQ(st_lookup(t, p.name, &r), p.record || p.name[0] == 'S' ? 1 : 0) << p.name;
        EXPECT_EQ(reinterpret_cast<intptr_t>(r), p.record) << p.name;
    }
    EXPECT_EQ(st_insert(t, "DATA_IN", nullptr), 1);
    EXPECT_EQ(t->entry_count, 204);
    st_free_table(t);
}

} // namespace
