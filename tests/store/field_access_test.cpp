// Field tables through their accessors: by number, by name, as character
// addresses, and the table operations they rest on.
#include "kt/text.h"
#include "support/field_view.h"
#include "support/store_test.h"

using namespace kt::test;

namespace {

class FieldAccess : public StoreTest {
protected:
    void TearDown() override {
        c_cfd(&t);
        EXPECT_EQ(t, 0);
        StoreTest::TearDown();
    }
    int32_t t = 0;
};

TEST_F(FieldAccess, ReadsByNumber) {
    t = make_table({{"none", {}}, {"five", {"1", "2", "3", "4", "5"}}});
    int32_t v = -1, count = -1;
    EXPECT_EQ(c_cfxg(t, 1, &v), 0);
    EXPECT_EQ(c_cfxgc(t, 1, &count), 0);
    EXPECT_EQ(c_cfxgp(t, 1), nullptr);
    EXPECT_STREQ(c_cfxgip(t, 2, 5), "5");
    for (int32_t bad : {0, 6})
        EXPECT_EQ(c_cfxgi(t, 2, bad, &v), 0) << bad;
    EXPECT_EQ(c_cfxg(t, 3, &v), 0);
    EXPECT_EQ(c_cfxgnp(t, 3), nullptr);
    EXPECT_STREQ(c_cfxgnp(t, 2), "five");

    int32_t values[3] = {-7, -7, -7};
    EXPECT_EQ(c_cfxga(t, 2, 2, values, &count), 5);
    EXPECT_EQ(count, 5);
    EXPECT_EQ(string_text(values[1]), "2");
    EXPECT_EQ(values[2], -7) << "only max entries copied";
    char sentinel = 0, *addresses[3] = {nullptr, nullptr, &sentinel};
    EXPECT_EQ(c_cfxgap(t, 2, 2, addresses), 5);
    EXPECT_STREQ(addresses[0], "1");
    EXPECT_EQ(addresses[2], &sentinel);
}

TEST_F(FieldAccess, WritesByNumber) {
    t = make_table({{"a", {"old"}}, {"b", {}}});
    int32_t status = -1, v = 0;
    EXPECT_EQ(c_cfxsi(t, 1, 3, "new", &status), 0);
    EXPECT_EQ(fields_of(t)[0].second, (std::vector<std::string>{"old", "", "new"}));
    EXPECT_EQ(c_cfxsi(t, 1, 2, "mid", &status), 0);
    EXPECT_EQ(c_cfxs(t, 1, "only", &status), 0);
    EXPECT_EQ(fields_of(t)[0].second, (std::vector<std::string>{"only"}));
    EXPECT_EQ(c_cfxsc(t, 2, 2, &status), 0);
    EXPECT_EQ(fields_of(t)[1].second, (std::vector<std::string>{"", ""}));
    EXPECT_EQ(c_cfxsc(t, 2, 0, &status), 0);
    EXPECT_EQ(c_cfxgc(t, 2, &v), 0);
    EXPECT_EQ(c_cfxs(t, 2, "x", &status), 0);
    EXPECT_EQ(c_cfxd(t, 2), 0);
    EXPECT_EQ(c_cfxgc(t, 2, &v), 0);

    // Bad field or value numbers change nothing.
    Fields before = fields_of(t);
    EXPECT_EQ(c_cfxs(t, 3, "x", &status), 1);
    EXPECT_EQ(c_cfxsi(t, 1, 0, "x", &status), 1);
    EXPECT_EQ(c_cfxd(t, 3), 1);
    int32_t k = 3, m = 1, flag = 0;
    EXPECT_EQ(CFZADD(&t, &k, &m, &flag), 1);
    EXPECT_EQ(flag, 1);
    EXPECT_EQ(fields_of(t), before);

    // Fortran texts: the whole declared length is the value.
    int32_t one = 1;
    EXPECT_EQ(CFXS(&t, &one, "ab  ", &status, 4), 0);
    EXPECT_EQ(fields_of(t)[0].second[0], "ab  ");

    const char *texts[] = {"p", "q", "r"};
    EXPECT_EQ(c_cfxsap(t, 1, 3, texts), 0);
    EXPECT_EQ(c_cfxsap(t, 1, 2, texts + 1), 0);
    EXPECT_EQ(fields_of(t)[0].second, (std::vector<std::string>{"q", "r"}));
    EXPECT_EQ(c_cfxsap(t, 9, 1, texts), 1);
    // No table at all.
    int32_t none = 0;
    c_cfd(&none);
    EXPECT_EQ(c_cfns(0, "a", "1", &status), 1);
    EXPECT_EQ(c_cfxgp(0, 1), nullptr);
}

TEST_F(FieldAccess, DeleteAndAppendValues) {
    t = make_table({{"a", {"1", "2", "3"}}});
    int32_t k = 1, m = 2, flag = -1;
    CFZDEL(&t, &k, &m);
    EXPECT_EQ(fields_of(t)[0].second, (std::vector<std::string>{"1"}));
    m = 10;
    CFZDEL(&t, &k, &m);
    EXPECT_EQ(fields_of(t)[0].second.size(), 0u);
    m = 2;
    EXPECT_EQ(CFZADD(&t, &k, &m, &flag), 0);
    EXPECT_EQ(flag, 0);
    EXPECT_EQ(fields_of(t)[0].second, (std::vector<std::string>{"", ""}));
}

TEST_F(FieldAccess, LookupByName) {
    t = make_table({{"Gain", {"1"}}, {"bias", {"2"}}, {"GAIN", {"3"}}});
    int32_t k = 0, v = 0;
    EXPECT_EQ(c_cfngx(t, "gain", &k), 3) << "the last field of the name, any case";
    EXPECT_EQ(c_cfngx(t, "bias extra words", &k), 2);
    EXPECT_EQ(CFNGX(&t, "bias    ", &k, 8), 2);
    EXPECT_EQ(c_cfngx(t, "gai", &k), 0);
    EXPECT_EQ(c_cfngx(t, " bias", &k), 0) << "a leading blank is part of the name";
    EXPECT_STREQ(c_cfngp(t, "gain"), "3");
    ASSERT_NE(CFNG(&t, "bias    ", &v, 8), 0);
    EXPECT_EQ(string_text(v), "2");
    EXPECT_STREQ(c_cfngip(t, "Gain", 1), "3");
    EXPECT_EQ(c_cfngip(t, "Gain", 2), nullptr);
    EXPECT_EQ(c_cfng(t, "missing", &v), 0);
    EXPECT_EQ(c_cfngc(t, "missing", &v), 0);
    char *addresses[1] = {nullptr};
    EXPECT_EQ(c_cfngap(t, "gain", 1, addresses), 1);
    EXPECT_STREQ(addresses[0], "3");
    EXPECT_EQ(fields_of(t).size(), 3u) << "reads never append";
    EXPECT_EQ(c_cfzfld(t, "new field", &k), 4);
    EXPECT_EQ(fields_of(t).back(), (Field{"new", {}}));
}

TEST_F(FieldAccess, WritesByNameAppendMissingFields) {
    t = make_table({{"a", {"1"}}});
    int32_t status = -1, v = 0;
    EXPECT_EQ(c_cfns(t, "b", "two", &status), 0);
    EXPECT_EQ(c_cfnsi(t, "c", 2, "x", &status), 0);
    EXPECT_EQ(c_cfnsc(t, "A", 3, &status), 0);
    EXPECT_EQ(c_cfnd(t, "d"), 0);
    const char *texts[] = {"p", "q"};
    EXPECT_EQ(c_cfnsap(t, "e", 2, texts), 0);
    EXPECT_EQ(fields_of(t),
              (Fields{{"a", {"1", "", ""}}, {"b", {"two"}}, {"c", {"", "x"}}, {"d", {}}, {"e", {"p", "q"}}}));
    EXPECT_EQ(CFND(&t, "a", 1), 0);
    EXPECT_EQ(c_cfngc(t, "a", &v), 0);
    int32_t two = 2;
    EXPECT_EQ(CFNSI(&t, "b  ", &two, "z", &status, 3, 1), 0);
    EXPECT_EQ(fields_of(t)[1].second, (std::vector<std::string>{"two", "z"}));
}

} // namespace
