// kt-util sweep: makes a sweep list from the command line, checks it,
// prints it back in the command language (LPQ) and lists the points it
// visits (LPXP, or an ordered copy by LPXPCP), as text or JSON; and the
// demo section on sweep and slot lists.
#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "command.h"
#include "common/cells.h"
#include "json.h"
#include "kt/host.h"
#include "kt/slot_list.h"
#include "kt/store.h"
#include "kt/sweep.h"
#include "kt/text.h"
#include "options.h"
#include "progress.h"
#include "store/word_string.h"
#include "wording.h"

namespace ktutil {
namespace {

using kt::kIntSize;
using kt::kRealSize;
constexpr int32_t kValues = 6, kNames = 7;
const char *const kRangeWords[] = {"by", "lin", "log", "dec", "oct"};

bool number(const std::string &text, double &value) {
    return c_vbcs2d(text.data(), static_cast<int32_t>(text.size()), &value) == 0;
}

int32_t text_string(const std::string &text) {
    int32_t n = static_cast<int32_t>(text.size()), s = 0;
    STRGEA(text.data(), &n, &s, n);
    return s;
}

std::string string_text(int32_t s) { return std::string(kt::store::string_view_of(s)); }

// A sweep list of the kind with the items (reals, or strings for names),
// copied by LPIE from a block of ours.
int32_t make_list(int32_t kind, const std::vector<double> &reals, const std::vector<std::string> &names,
                  const std::string &name) {
    const bool of_names = kind == kNames;
    int32_t n = static_cast<int32_t>(of_names ? names.size() : reals.size());
    int32_t block = 0, elsize = of_names ? kIntSize : kRealSize, list = 0, context = 0;
    int32_t label = name.empty() ? 0 : text_string(name);
    if ((name.empty() || label != 0) && c_gstore(n, &block, elsize, 0) == 0) {
        bool ok = true;
        for (int32_t i = 0; i < n; ++i) {
            if (of_names)
                kt_iptr(block + 1)[i] = ok ? text_string(names[static_cast<size_t>(i)]) : 0;
            else
                kt_rptr(block + 1)[i] = reals[static_cast<size_t>(i)];
            ok = ok && (!of_names || kt_iptr(block + 1)[i] != 0);
        }
        if (ok)
            LPIE(&label, &context, &kind, &block, &n, &list);
        for (int32_t i = 0; of_names && i < n; ++i)
            STRFS(&kt_iptr(block + 1)[i]);
        c_fstore(n, &block, elsize);
    }
    STRFS(&label);
    return list;
}

std::string check_message(int32_t code) {
    switch (code) {
    case 2:
        return "the step is 0";
    case 3:
        return "the number of points, or of points per decade or octave, must be above 0";
    case 4:
        return "a logarithmic range must not touch or cross 0";
    default:
        return "no list";
    }
}

// The points of a list, given one by one to `point` with their number
// (reals; or, for a list of names, the names), after `header` has had the
// kind and the number of points with the step or ratio.
struct PointSink {
    std::function<void(int32_t kind, int32_t points, double step)> header;
    std::function<void(int32_t i, double value)> real;
    std::function<void(int32_t i, const std::string &name)> name;
};

int walk_points(int32_t list, const PointSink &sink) {
    int32_t points = 0, status = 0;
    double step = 0;
    LPGN(&list, &points, &step);
    const int32_t kind = kt_icell(list + 3);
    sink.header(kind, points, step);
    Progress progress("sweep", points, "points", true);
    if (kind == kNames || kind == kValues) {
        for (int32_t i = 1; i <= points; ++i) {
            int32_t s = 0;
            double v = 0;
            if (kind == kNames)
                sink.name(i, LPGS(&list, &i, &s, &status) == 0 && s ? string_text(s) : "");
            else
                sink.real(i, (LPGV(&list, &i, &v, &status), v));
            progress.update(i);
        }
        return 0;
    }
    int32_t block = 0;
    const int32_t wanted = points;
    if (points == 0)
        return failure("sweep", "the sweep has no points");
    if (LPXP(&list, &block, &points) == 0)
        return failure("sweep", "the word store refused " + counted(wanted, "point"));
    for (int32_t i = 1; i <= points; ++i) {
        sink.real(i, kt_rcell(block + i));
        progress.update(i);
    }
    c_fstore(points, &block, kRealSize);
    return 0;
}

// The points one per line, the value in a column that clears the widest
// number (at least column 9).
int print_points(int32_t list) {
    int32_t column = 8;
    PointSink sink;
    sink.header = [&](int32_t kind, int32_t points, double step) {
        column = std::max<int32_t>(8, static_cast<int32_t>(std::to_string(points).size()) + 2);
        if (kind == kNames || kind == kValues) {
            say(counted(points, kind == kNames ? "name" : "value"));
            return;
        }
        c_oocs((counted(points, "point") + (kind <= 2 ? ", step " : ", ratio ")).c_str());
        c_ood(step);
        c_oowrit();
    };
    sink.real = [&](int32_t i, double value) {
        c_ooi(i);
        c_ootab(column);
        c_ood(value);
        c_oowrit();
    };
    sink.name = [&](int32_t i, const std::string &name) {
        c_ooi(i);
        c_ootab(column);
        say(name);
    };
    return walk_points(list, sink);
}

// The list as the command language writes it (LPQ), taken from the host's output.
std::string described(int32_t list) {
    kt_host_capture_output(1);
    kt_host_clear_output();
    LPQ(&list);
    c_oowrit();
    std::string text = kt_host_output();
    kt_host_clear_output();
    kt_host_capture_output(0);
    while (!text.empty() && text.back() == '\n')
        text.pop_back();
    return text;
}

int write_json(int32_t list, int32_t points_list, const std::string &name, int32_t order) {
    JsonWriter json;
    json.begin_object();
    json.member("list", described(list));
    json.text_or_null("name", name);
    json.key("order");
    order == 0 ? json.null() : json.string(order == 1 ? "ascending" : "descending");
    PointSink sink;
    sink.header = [&](int32_t kind, int32_t points, double step) {
        static const char *const kinds[] = {"", "by", "lin", "log", "dec", "oct", "values", "names"};
        json.member("kind", kinds[kind >= 1 && kind <= 7 ? kind : 0]);
        json.member("count", points);
        json.key("step");
        kind == 1 || kind == 2 ? json.number(step) : json.null();
        json.key("ratio");
        kind >= 3 && kind <= 5 ? json.number(step) : json.null();
        json.key("points");
        json.begin_array();
    };
    sink.real = [&](int32_t, double value) { json.number(value); };
    sink.name = [&](int32_t, const std::string &text) { json.string(text); };
    int status = walk_points(points_list, sink);
    json.end_array();
    json.end_object();
    json.finish();
    return status;
}

// Reads the command line into the items of a list of `kind`; -1, or the
// exit status of a usage error.
int read_list(const Args &words, int32_t &kind, std::vector<double> &reals, std::vector<std::string> &names) {
    if (!words.empty() && words[0] == "in") {
        if (words.size() == 1)
            return usage_error("sweep", "'in' needs at least one value");
        names.assign(words.begin() + 1, words.end());
        kind = kValues;
        for (const std::string &w : names) {
            double v = 0;
            if (!number(w, v)) {
                kind = kNames; // a list of names when any item is not a number
                break;
            }
            reals.push_back(v);
        }
        return -1;
    }
    Args w = words;
    if (!w.empty() && w[0] == "from")
        w.erase(w.begin());
    if (w.size() >= 2 && w[1] == "to")
        w.erase(w.begin() + 1);
    if (w.size() != 4)
        return usage_error("sweep", "expected FROM TO by|lin|log|dec|oct X, or in V1 V2 ...");
    for (int32_t k = 0; k < 5; ++k)
        if (w[2] == kRangeWords[k])
            kind = k + 1;
    if (kind == 0)
        return usage_error("sweep", "'" + w[2] + "' is not one of by, lin, log, dec, oct");
    for (size_t k : {size_t{0}, size_t{1}, size_t{3}}) {
        double v = 0;
        if (!number(w[k], v))
            return usage_error("sweep", "'" + w[k] + "' is not a number");
        reals.push_back(v);
    }
    return -1;
}

int run_sweep(const Args &args) {
    std::string name;
    int32_t order = 0;
    bool as_json = false;
    OptionTable options{{{"--name",
                          {"a name",
                           [&](const std::string &v) {
                               name = v;
                               return !v.empty();
                           }}},
                         {"--order",
                          {"1 (ascending) or 2 (descending)",
                           [&](const std::string &v) {
                               order = v == "1" ? 1 : v == "2" ? 2 : 0;
                               return order != 0;
                           }}}},
                        {{"--json", set_flag(as_json)}}};
    Args words;
    if (int done = read_options("sweep", args, options, words); done >= 0)
        return done;
    int32_t kind = 0;
    std::vector<double> reals;
    std::vector<std::string> names;
    if (int done = read_list(words, kind, reals, names); done >= 0)
        return done;
    int32_t list = make_list(kind, reals, names, name);
    if (list == 0)
        return failure("sweep", "the word store refused the list");
    if (!as_json) {
        LPQ(&list);
        c_oowrit();
    }
    int32_t code = 0, status = 0, result = 0, copy = 0;
    if (LPCHK(&list, &code) != 0)
        result = failure("sweep", "invalid sweep (LPCHK code " + std::to_string(code) + "): " + check_message(code));
    else if (order != 0 && LPXPCP(&list, &order, &copy, &status) != 0)
        result = failure("sweep", "the sweep has no points, or the word store refused them");
    else if (as_json)
        result = write_json(list, order ? copy : list, name, order);
    else
        result = print_points(order ? copy : list);
    LPD(&copy);
    LPD(&list);
    return result;
}

// A decade sweep, a step sweep that ends exactly on its end value, an
// explicit list put in descending order, and numbers parked in slots.
int demo_sweeps(const std::string &) {
    int32_t dec = make_list(4, {1, 1000, 3}, {}, "VDD");
    int32_t by = make_list(1, {0, 1, 0.1}, {}, "");
    int32_t in = make_list(kValues, {4.7, 1, 22, 3.3}, {}, "R");
    if (!dec || !by || !in) {
        LPD(&dec);
        LPD(&by);
        LPD(&in);
        return failure("demo", "the word store refused a sweep list");
    }
    int status = 0;
    for (int32_t list : {dec, by}) {
        LPQ(&list);
        c_oowrit();
        status |= print_points(list);
    }
    int32_t fifth = 5, st = 0;
    double v = 0;
    LPGV(&dec, &fifth, &v, &st);
    c_oocs("point 5 of VDD computed alone (LPGV): ");
    c_ood(v);
    c_oowrit();
    int32_t copy = 0, descending = 2;
    LPQ(&in);
    c_oowrit();
    if (LPXPCP(&in, &descending, &copy, &st) == 0) {
        c_oocs("in descending order (LPXPCP): ");
        LPQ(&copy);
        c_oowrit();
    }
    LPD(&copy);
    LPD(&dec);
    LPD(&by);
    LPD(&in);

    RLINIT();
    int32_t handles[2];
    const char *texts[] = {"4.7K", "3.3MEG"};
    for (int k = 0; k < 2; ++k) {
        std::vector<int32_t> w(texts[k], texts[k] + std::string(texts[k]).size());
        int32_t n = static_cast<int32_t>(w.size());
        handles[k] = RLSAVE(w.data(), &n);
    }
    int32_t negated = -handles[1];
    double first = RLGET(&handles[0]), second = RLGET(&negated);
    c_oocs(("slots: 4.7K parked as " + std::to_string(handles[0]) + ", 3.3MEG as " + std::to_string(handles[1]) +
            "; taken back: ")
               .c_str());
    c_ood(first);
    c_oocs(", and through the negated handle ");
    c_ood(second);
    c_oowrit();
    return status;
}

const RegisterCommand command{
    {"sweep", "describes a sweep list and lists the points it visits",
     "usage: kt-util sweep [--name N] [--order 1|2] [--json] [from] FROM [to] TO by|lin|log|dec|oct X\n"
     "       kt-util sweep [--name N] [--order 1|2] [--json] in V1 V2 ...\n"
     "\n"
     "Makes the sweep list, prints it back as the command language writes it,\n"
     "then its number of points and every point. A range goes from FROM to TO:\n"
     "by a step X, with X points spaced linearly (lin) or logarithmically (log),\n"
     "or with X points per decade (dec) or octave (oct); every kind but 'by'\n"
     "ends exactly on TO. 'in' lists values, or names when any item is not a\n"
     "number. Numbers may carry scale words (1K, 10MEG, 2.2U) and a sign\n"
     "(-1.5); a name that starts with '-' goes after '--'.\n"
     "\n"
     "  --name N    names the swept quantity\n"
     "  --order 1   lists the points in ascending order (2: descending);\n"
     "              names keep their order\n"
     "  --json      writes one JSON document instead:\n"
     "              {\"list\": L, \"name\": N, \"order\": O, \"kind\": K, \"count\": C,\n"
     "               \"step\": S, \"ratio\": R, \"points\": [P, ...]}\n"
     "              L is the list as printed; N null without --name; O null,\n"
     "              \"ascending\" or \"descending\"; K by, lin, log, dec, oct,\n"
     "              values or names (an ordered list is one of values); S the\n"
     "              step of by and lin, R the ratio of log, dec and oct, else\n"
     "              null; points are numbers, or strings for names.\n"
     "\n"
     "Exit status: 0 success; 1 when the list is invalid (its LPCHK code is\n"
     "printed: 2 zero step, 3 no points, 4 a logarithmic range through 0) or\n"
     "has no points; 2 for a usage error.\n",
     run_sweep}};
const RegisterDemo section{{25, "Sweep lists and slot lists", demo_sweeps}};

} // namespace
} // namespace ktutil
