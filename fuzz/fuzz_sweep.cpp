// Sweep lists from a text command, "[NAME] [from] F [to] T by|lin|log|dec|oct X"
// or "[NAME] in V1 V2 ..." (names when an item is not a number), after a
// control byte (context, order, store refusals) and a grant count. The
// list LPIE makes must hold what the command said and print back (LPQ) as
// a command that makes the same list; LPCHK must give the code of its
// kind and items; the point count must follow from the span and step; LPGV
// must agree with LPXP (exactly but for the interior points of the
// logarithmic kinds), every point lie between the ends and in order, and
// the ordered copy of LPXPCP be the points sorted. With the store refusing,
// each builder fails whole or succeeds with the right list; nothing is
// ever left in the store.
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "fuzz_util.h"
#include "kt/host.h"
#include "kt/store.h"
#include "kt/sweep.h"
#include "kt/text.h"
#include "support/store_view.h"

using kt::fuzz::check;

namespace {

constexpr int32_t kValues = 6, kNames = 7;
const char *const kRangeWords[] = {"by", "lin", "log", "dec", "oct"};
const int32_t kContexts[] = {0, 1, 2, 3, 11, 12, 13, 14};
// Expanding costs a real per point by design, and a range may name up to
// 2^31 - 1 of them: larger ranges are checked by LPGV at sampled points.
constexpr int32_t kExpandedPoints = 1 << 16;

struct Command {
    std::string name;
    int32_t kind = 0;
    std::vector<double> reals;
    std::vector<std::string> names;
};

bool number(const std::string &w, double &v) { return c_vbcs2d(w.data(), static_cast<int32_t>(w.size()), &v) == 0; }

bool keyword(const std::string &w) {
    return w == "in" || w == "from" || w == "to" ||
           std::find(std::begin(kRangeWords), std::end(kRangeWords), w) != std::end(kRangeWords);
}

std::vector<std::string> split(const std::string &text) {
    std::vector<std::string> words;
    size_t i = 0;
    while (i < text.size()) {
        size_t j = text.find_first_of(std::string(" \t\0", 3), i);
        if (j == std::string::npos)
            j = text.size();
        if (j > i)
            words.push_back(text.substr(i, j - i));
        i = j + 1;
    }
    return words;
}

bool parse(const std::string &text, Command &c) {
    std::vector<std::string> w = split(text);
    double v = 0;
    size_t i = 0;
    if (!w.empty() && !keyword(w[0]) && !number(w[0], v))
        c.name = w[i++];
    if (i < w.size() && w[i] == "in") {
        c.names.assign(w.begin() + static_cast<std::ptrdiff_t>(i) + 1, w.end());
        c.kind = kValues;
        for (const std::string &item : c.names) {
            if (!number(item, v)) {
                c.kind = kNames;
                break;
            }
            c.reals.push_back(v);
        }
        return !c.names.empty();
    }
    w.erase(w.begin(), w.begin() + static_cast<std::ptrdiff_t>(i));
    if (!w.empty() && w[0] == "from")
        w.erase(w.begin());
    if (w.size() >= 2 && w[1] == "to")
        w.erase(w.begin() + 1);
    if (w.size() != 4)
        return false;
    for (int32_t k = 0; k < 5; ++k)
        if (w[2] == kRangeWords[k])
            c.kind = k + 1;
    for (size_t k : {size_t{0}, size_t{1}, size_t{3}}) {
        if (!number(w[k], v))
            return false;
        c.reals.push_back(v);
    }
    return c.kind != 0;
}

// The list LPIE makes from the command, the store refusing from the
// request `grants` on (-1: never); our blocks are freed again.
int32_t make_list(const Command &c, int32_t context, int32_t grants) {
    int32_t name = c.name.empty() ? 0 : kt::test::make_string(c.name), block = 0, list = 0;
    const bool of_names = c.kind == kNames;
    int32_t n = static_cast<int32_t>(of_names ? c.names.size() : c.reals.size()), elsize = of_names ? 4 : 8;
    check(c_gstore(n, &block, elsize, 0) == 0);
    for (int32_t i = 0; i < n; ++i) {
        if (of_names)
            kt_iptr(block + 1)[i] = kt::test::make_string(c.names[static_cast<size_t>(i)]);
        else
            kt_rptr(block + 1)[i] = c.reals[static_cast<size_t>(i)];
    }
    kt_host_fail_store_after(grants);
    LPIE(&name, &context, &c.kind, &block, &n, &list);
    for (int32_t i = 0; of_names && i < n; ++i)
        STRFS(&kt_iptr(block + 1)[i]);
    c_fstore(n, &block, elsize);
    STRFS(&name);
    return list;
}

bool same_bits(double a, double b) { return std::memcmp(&a, &b, sizeof a) == 0; }

// The list holds what the command said.
void expect_contents(int32_t list, const Command &c, int32_t context) {
    check(kt_icell(list + 2) == context && kt_icell(list + 3) == c.kind);
    const int32_t name = kt_icell(list + 1), data = kt_icell(list + 4), count = kt_icell(list + 5);
    check(c.name.empty() ? name == 0 : name != 0 && kt::test::string_text(name) == c.name);
    check(count == static_cast<int32_t>(c.kind == kNames ? c.names.size() : c.reals.size()) && data != 0);
    for (int32_t i = 0; i < count; ++i) {
        if (c.kind == kNames)
            check(kt::test::string_text(kt_iptr(data + 1)[i]) == c.names[static_cast<size_t>(i)]);
        else
            check(same_bits(kt_rptr(data + 1)[i], c.reals[static_cast<size_t>(i)]));
    }
}

int32_t expected_code(const Command &c) {
    if (c.kind >= kValues)
        return 0;
    const double from = c.reals[0], to = c.reals[1], third = c.reals[2];
    if (c.kind == 1)
        return third == 0 ? 2 : 0;
    if (third <= 0)
        return 3;
    if (c.kind >= 3 && ((from <= 0 && 0 <= to) || (from >= 0 && 0 >= to)))
        return 4;
    return 0;
}

// What LPQ prints, parsed again, makes the same list.
void expect_print_back(int32_t list, const Command &c) {
    for (double v : c.reals)
        if (!std::isfinite(v))
            return; // "inf" reads back as a name
    kt_host_capture_output(1);
    kt_host_clear_output();
    LPQ(&list);
    c_oowrit();
    std::string printed = kt_host_output();
    kt_host_clear_output();
    kt_host_capture_output(0);
    check(!printed.empty() && printed.back() == '\n');
    printed.pop_back();
    Command again;
    check(parse(printed, again));
    check(again.name == c.name && again.kind == c.kind && (c.kind != kNames || again.names == c.names));
    check(again.reals.size() == c.reals.size());
    for (size_t i = 0; i < c.reals.size(); ++i)
        check(same_bits(again.reals[i], c.reals[i]));
}

double point(int32_t list, int32_t i) {
    double v = 0;
    int32_t status = -1;
    check(LPGV(&list, &i, &v, &status) == 0 && status == 0);
    return v;
}

// The count follows from the span in steps: kind 1 takes whole steps (a
// shortfall of 1e-5 of a step counts as whole), kinds 4 and 5 add one
// shorter last step.
void expect_count(const Command &c, int32_t points, double step) {
    const double from = c.reals[0], to = c.reals[1], third = c.reals[2];
    if (c.kind == 2 || c.kind == 3) {
        double t = std::trunc(third);
        check(points == (from == to ? 1 : t >= 2147483647.0 ? INT32_MAX : static_cast<int32_t>(t)));
        return;
    }
    double x = 0;
    if (c.kind == 1) {
        // Ends whose difference leaves the range of a double are divided first.
        x = std::fabs(std::isfinite(to - from) ? (to - from) / third : to / third - from / third);
        check(step == (to < from ? -std::fabs(third) : std::fabs(third)));
    } else {
        x = std::fabs((std::log(std::fabs(to)) - std::log(std::fabs(from))) /
                      ((c.kind == 4 ? std::log(10.0) : std::log(2.0)) / third));
    }
    if (!std::isfinite(x) || x > 2e9)
        return;
    const double slack = 1e-9 * (x + 1);
    if (c.kind == 1)
        check(points - 1.00001 - slack <= x && x < points + slack);
    else
        check(points - 2 - slack <= x && x <= points - 1 + 1e-5 + slack);
}

void expect_points(const Command &c, int32_t list, int32_t points, bool refusing) {
    const double from = c.reals[0], to = c.reals[1];
    int32_t block = -1, n = -1;
    if (LPXP(&list, &block, &n) == 0) {
        check(refusing && n == 0 && block == 0);
        return;
    }
    check(n == points && points >= 1);
    const double *p = kt_rptr(block + 1);
    const bool logarithmic = c.kind >= 3;
    // Spans that overflow a double (to - from, to / from) must still give
    // interior points between the ends. An end that is itself infinite (a
    // number the reader took as overflowing) has no points between.
    const bool finite = std::isfinite(c.reals[2]) && std::isfinite(from) && std::isfinite(to);
    const double lo = std::min(from, to), hi = std::max(from, to);
    const double slack = logarithmic   ? 1e-9 * std::max(std::fabs(from), std::fabs(to))
                         : c.kind == 1 ? 1e-5 * std::fabs(c.reals[2]) + 1e-12 * (hi - lo)
                                       : 0.0;
    // Every kind but 1 ends on "to", a single point included.
    if (c.kind == 1 || points > 1)
        check(same_bits(p[0], from) && same_bits(point(list, 1), from));
    if (c.kind != 1)
        check(same_bits(p[points - 1], to) && same_bits(point(list, points), to));
    for (int32_t i = 1; i <= points; ++i) {
        const double v = point(list, i), e = p[i - 1];
        if (!logarithmic || i == 1 || i == points)
            check(same_bits(v, e));
        else if (finite)
            check(std::fabs(v - e) <= 1e-9 * std::fabs(e));
        if (finite) {
            check(e >= lo - slack && e <= hi + slack);
            if (i > 1)
                check((to >= from ? e - p[i - 2] : p[i - 2] - e) >= -slack);
        }
    }
    int32_t count = points;
    c_fstore(count, &block, 8);
}

// LPXPCP's copy: the points (or values, or names), ordered as asked.
void expect_ordered_copy(const Command &c, int32_t list, int32_t copy, int32_t order, int32_t points) {
    check(kt_icell(copy + 3) == (c.kind == kNames ? kNames : kValues) && kt_icell(copy + 5) == points);
    if (c.kind == kNames) {
        for (int32_t i = 0; i < points; ++i)
            check(kt::test::string_text(kt_iptr(kt_icell(copy + 4) + 1)[i]) == c.names[static_cast<size_t>(i)]);
        return;
    }
    std::vector<double> expected = c.reals;
    if (c.kind != kValues) {
        int32_t block = 0, n = 0;
        check(LPXP(&list, &block, &n) != 0 && n == points);
        expected.assign(kt_rptr(block + 1), kt_rptr(block + 1) + n);
        c_fstore(n, &block, 8);
    }
    if (order != 0) {
        if (c.kind == kValues)
            std::stable_sort(expected.begin(), expected.end());
        else if (c.reals[1] < c.reals[0])
            std::reverse(expected.begin(), expected.end());
        if (order == 2)
            std::reverse(expected.begin(), expected.end());
    }
    for (int32_t i = 0; i < points; ++i)
        check(same_bits(kt_rptr(kt_icell(copy + 4) + 1)[i], expected[static_cast<size_t>(i)]));
}

void one_command(const Command &c, uint8_t control, uint8_t grants) {
    const bool bad_context = control & 8, refusing = control & 64;
    const int32_t context = bad_context ? 5 : kContexts[control & 7], order = (control >> 4) & 3;
    kt_host_reset_errors();
    int32_t list = make_list(c, context, refusing ? grants % 16 : -1), copy = 0, ordered = 0, status = -1;
    if (bad_context) {
        kt_host_fail_store_after(-1);
        check(list == 0 && kt_host_error_count() == 1 && kt_host_error_number(1) == 1001);
        return;
    }
    if (list == 0) {
        kt_host_fail_store_after(-1);
        check(refusing);
        return;
    }
    const int32_t code = expected_code(c);
    int32_t points = 0;
    double step = 0;
    LPGN(&list, &points, &step);
    const bool expandable = code == 0 && points >= 1 && points <= kExpandedPoints;
    const bool copied = LPCP(&list, &copy, &status) == 0;
    check(copied ? status == 0 && copy != 0 : refusing && status != 0 && copy == 0);
    const bool made_ordered = expandable && LPXPCP(&list, &order, &ordered, &status) == 0;
    check(made_ordered || !expandable || (refusing && ordered == 0));
    kt_host_fail_store_after(-1);

    expect_contents(list, c, context);
    if (copied)
        expect_contents(copy, c, context);
    check(LPCHK(&list, &status) == code && status == code);
    expect_print_back(list, c);
    if (code != 0) {
        check(points == 0);
    } else if (c.kind >= kValues) {
        check(points == static_cast<int32_t>(c.names.size()));
    } else {
        expect_count(c, points, step);
        if (expandable && points > 0)
            expect_points(c, list, points, refusing);
        // The first point is the start itself, a negative zero included.
        for (int32_t i : {2, points / 2, points - 1})
            if (i >= 1 && i <= points && c.kind <= 2 && std::isfinite(step))
                check(same_bits(point(list, i), i == 1 ? c.reals[0] : (i - 1) * step + c.reals[0]) ||
                      (i == points && c.kind == 2));
    }
    for (int32_t i : {0, -1, points == INT32_MAX ? 0 : points + 1}) {
        double v = 0;
        int32_t st = -1;
        check(LPGV(&list, &i, &v, &st) == 1 && st == 1);
    }
    if (c.kind == kNames)
        for (int32_t i = 1; i <= points; ++i) {
            int32_t s = 0, st = -1;
            check(LPGS(&list, &i, &s, &st) == 0 && st == 0 &&
                  kt::test::string_text(s) == c.names[static_cast<size_t>(i - 1)]);
        }
    if (made_ordered)
        expect_ordered_copy(c, list, ordered, order,
                            code == 0 && c.kind < kValues ? points : static_cast<int32_t>(c.names.size()));
    LPD(&list);
    LPD(&copy);
    LPD(&ordered);
    check(list == 0 && copy == 0 && ordered == 0);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    static const int64_t baseline = kt_host_store_bytes_in_use();
    kt::fuzz::Input in(data, size);
    const uint8_t control = in.byte(), grants = in.byte();
    // One command per line.
    std::string text = in.rest();
    size_t start = 0;
    while (start <= text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string::npos)
            end = text.size();
        Command c;
        if (parse(text.substr(start, end - start), c))
            one_command(c, control, grants);
        start = end + 1;
    }
    check(kt_host_store_bytes_in_use() == baseline);
    kt_host_reset_errors();
    return 0;
}
