#include <algorithm>
#include <memory>
#include <random>

#include "support/store_test.h"

using namespace kt::test;

namespace {

using StringTest = StoreTest;

// Allocates a small block so that the block before it cannot grow in place.
struct Blocker {
    Blocker() { GSTORE(&one, &index, &one, &cls, &status); }
    ~Blocker() { FSTORE(&one, &index, &one); }
    int32_t one = 1, index = 0, cls = 0, status = 0;
};

TEST_F(StringTest, CreateHoldsTerminatorAndClass) {
    struct Case {
        int32_t n, length;
        bool volatile_class;
    } cases[] = {{0, 0, false}, {5, 5, false}, {-2, 0, false}, {0, 0, true}, {7, 7, true}};
    for (const Case &c : cases) {
        int32_t s = 0;
        int32_t r = c.volatile_class ? STRGSV(&c.n, &s) : STRGS(&c.n, &s);
        keep(s);
        ASSERT_NE(s, 0);
        EXPECT_EQ(r, s);
        EXPECT_EQ(string_length(s), c.length);
        EXPECT_EQ(string_terminator(s), '\0');
        int32_t cls = c.volatile_class ? -1 : 0;
        EXPECT_EQ(kt_store_class(s, 4), cls);
        EXPECT_EQ(kt_store_class(kt_icell(s + 1), 1), cls);
    }
    EXPECT_GE(kt_store_capacity(kt_icell(strings_[0] + 1), 1), 1) << "length 0 still holds its zero byte";
}

TEST_F(StringTest, FromTextAndDuplicate) {
    int32_t s = keep(make_string("ohm's law"));
    EXPECT_EQ(string_text(s), "ohm's law");
    EXPECT_EQ(string_terminator(s), '\0');
    int32_t copy = 0;
    EXPECT_EQ(STRDUPR(&s, &copy), copy);
    keep(copy);
    EXPECT_NE(copy, s);
    EXPECT_NE(kt_icell(copy + 1), kt_icell(s + 1));
    EXPECT_EQ(string_text(copy), "ohm's law");
    *kt_cptr(kt_icell(s + 1) + 1) = 'O';
    EXPECT_EQ(string_text(copy), "ohm's law") << "a copy shares no characters";
    int32_t gone = make_string("x"), zero = 0, none = -1;
    STRFS(&gone);
    STRFS(&zero);
    EXPECT_EQ(gone + zero, 0);
    EXPECT_EQ(STRDUPR(&zero, &none), 0);
    EXPECT_EQ(none, 0);
}

// Random appends (fresh text of any length, or a piece of the string's own
// characters), resizes and writes in place against a std::string, with the
// block behind the string held now and then, so that growth must move it,
// and every store request refused now and then: a refused STRAPA or STRXS
// frees the string and clears the variable, while an append that fits the
// room the character block already has asks the store for nothing.
TEST_F(StringTest, MatchesAStdStringUnderMovesAndRefusals) {
    const std::string digits = "012345678901234567890123456789012345678901234567";
    std::mt19937 rng(0x57a);
    int32_t s = 0;
    std::string model;
    for (int step = 0; step < 4000 && !HasFailure(); ++step) {
        if (model.size() > 3000) {
            STRFS(&s);
            model.clear();
        }
        std::unique_ptr<Blocker> behind(rng() % 4 == 0 ? new Blocker : nullptr);
        int32_t n = static_cast<int32_t>(rng() % 44) - 2, used = std::max(n, 0), result = 0;
        const int64_t room = s ? kt_store_capacity(kt_icell(s + 1), 1) : 0, old = static_cast<int64_t>(model.size());
        enum { kAppend, kOwnAppend, kResize, kWrite } op = static_cast<decltype(op)>(rng() % 4);
        if (!s && op != kAppend)
            op = kWrite;
        std::string expected = model, piece(static_cast<size_t>(used), static_cast<char>('a' + step % 26));
        const char *text = piece.data();
        if (op == kOwnAppend) {
            size_t from = rng() % (model.size() + 1);
            used = n = static_cast<int32_t>(std::min<size_t>(static_cast<size_t>(used), model.size() - from));
            piece = model.substr(from, static_cast<size_t>(used));
            text = kt_cptr(kt_icell(s + 1) + 1) + from;
        }
        bool asks = false, refusing = rng() % 5 == 0;
        {
            StoreGrants grants(refusing ? 0 : -1);
            if (op == kAppend || op == kOwnAppend) {
                result = STRAPA(text, &n, &s, n);
                expected += piece;
                asks = room < old + used + 1;
            } else if (op == kResize) {
                result = STRXS(&n, &s);
                expected.resize(static_cast<size_t>(used), '?');
                asks = used > old;
            } else {
                int32_t position = static_cast<int32_t>(rng() % 50) - 3;
                result = STREA(digits.data(), &n, &s, &position, 48);
                int32_t p = std::max(position, 0), end = std::min(p + used, static_cast<int32_t>(old));
                if (end > p)
                    expected.replace(static_cast<size_t>(p), static_cast<size_t>(end - p), digits, 0,
                                     static_cast<size_t>(end - p));
                ASSERT_EQ(result, s ? end : -1) << "step " << step;
                if (!s)
                    continue;
            }
        }
        if (refusing && asks) {
            ASSERT_EQ(result, 0) << "step " << step;
            ASSERT_EQ(s, 0) << "a refused resize frees the string";
            model.clear();
            continue;
        }
        ASSERT_NE(s, 0) << "step " << step;
        if (op != kWrite) {
            ASSERT_EQ(result, s);
        }
        for (size_t i = model.size(); op == kResize && i < expected.size(); ++i)
            expected[i] = string_text(s)[i]; // lengthening leaves them undefined
        model = expected;
        ASSERT_EQ(string_text(s), model) << "step " << step;
        ASSERT_EQ(string_terminator(s), '\0');
    }
    STRFS(&s);
    EXPECT_EQ(kt_host_store_check(), 0);
}

} // namespace
