// kt-util demo: the numerics tour. A third-order low-pass is evaluated with
// the complex operations, turned into decibel, phase and continuous-phase
// curves, and its sweep points are sorted and searched.
#include <cstdio>
#include <string>
#include <vector>

#include "command.h"
#include "kt/numerics.h"
#include "kt/store.h"

namespace ktutil {
namespace {

std::string label(int32_t code) {
    char text[32];
    int32_t yes = 1, len = 0;
    TRSFKW(&code, &yes, text, &len, sizeof text);
    return std::string(text, len > 0 ? static_cast<size_t>(len) : 0);
}

std::string row(double hz, double db, double deg, double cont) {
    char line[128];
    std::snprintf(line, sizeof line, "  %10.0f %8.2f %12.2f %24.2f", hz, db, deg, cont);
    return line;
}

std::string whole(double v) { return std::to_string(static_cast<long long>(v)); }

// H(f) = 1 / (1 + j f/fc)^3: its phase runs past -180 degrees, where the
// plain phase wraps and the continuous phase goes on.
void transform_tour(const std::vector<double> &frequency) {
    const double corner = 1000.0;
    const int32_t n = static_cast<int32_t>(frequency.size());
    std::vector<double> h(2 * frequency.size());
    for (size_t i = 0; i < frequency.size(); ++i) {
        const double pole[2] = {1.0, frequency[i] / corner};
        double cube[2];
        CMXMUL(cube, pole, pole);
        CMXMUL(cube, cube, pole);
        CMXINV(&h[2 * i], cube);
    }
    std::vector<double> db(frequency.size()), deg(frequency.size()), cont(frequency.size());
    const int32_t kDb = 2, kDeg = 7, kContDeg = 8;
    TRZ2D(h.data(), db.data(), &n, &kDb);
    TRZ2D(h.data(), deg.data(), &n, &kDeg);
    TRZ2D(h.data(), cont.data(), &n, &kContDeg);
    say("third-order low-pass, corner 1 kHz (CMXMUL, CMXINV, TRZ2D):");
    char head[128];
    std::snprintf(head, sizeof head, "  %10s %8s %12s %24s", "Hz", label(kDb).c_str(), label(kDeg).c_str(),
                  label(kContDeg).c_str());
    say(head);
    for (size_t i = 0; i < frequency.size(); ++i)
        say(row(frequency[i], db[i], deg[i], cont[i]));
}

void sort_tour(const std::vector<double> &unsorted) {
    const int32_t n = static_cast<int32_t>(unsorted.size());
    std::vector<int32_t> idx(unsorted.size()), stk(unsorted.size());
    for (int32_t i = 0; i < n; ++i)
        idx[i] = i + 1;
    QSRTID(unsorted.data(), idx.data(), stk.data(), &n);
    std::string order = "sweep points in sorted order (QSRTID):";
    std::vector<double> table;
    for (int32_t k : idx) {
        table.push_back(unsorted[k - 1]);
        order += " " + whole(unsorted[k - 1]);
    }
    say(order);
    const int32_t ascending = 1;
    for (double x : {2500.0, 1000.0, 5.0}) {
        int32_t pos = 0;
        INDEXD(table.data(), &n, &ascending, &x, &pos);
        const std::string what = "  INDEXD " + whole(x) + " Hz: ";
        if (pos == 0)
            say(what + "outside the sweep (0)");
        else if (table[pos - 1] == x)
            say(what + "point " + std::to_string(pos));
        else
            say(what + "between points " + std::to_string(pos) + " and " + std::to_string(pos + 1) + " (" +
                whole(table[pos - 1]) + " and " + whole(table[pos]) + " Hz)");
    }
}

int demo_numerics(const std::string &) {
    CONSTI(); // the transforms read pi and 180/pi from MATHC
    const std::vector<double> sweep{5000, 100, 20000, 1000, 200, 10000, 500, 2000, 50000, 50};
    sort_tour(sweep);
    std::vector<double> frequency = sweep;
    std::vector<int32_t> idx(sweep.size());
    const int32_t n = static_cast<int32_t>(sweep.size());
    QSORTD(frequency.data(), idx.data(), &n);
    transform_tour(frequency);
    return 0;
}

const RegisterDemo section{{30, "Numerics: sorting a sweep and transforming a spectrum", demo_numerics}};

} // namespace
} // namespace ktutil
