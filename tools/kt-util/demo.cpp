// kt-util demo: a short tour of the library over examples/. Each subsystem
// contributes a section (RegisterDemo); this file holds the command and the
// tour of word-store strings and managed lists. With --store-report the
// tour shows the word store's report while its strings and list are live,
// and the statistics once every section is done.
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "command.h"
#include "kt/host.h"
#include "kt/store.h"
#include "options.h"
#include "store/word_string.h"

namespace ktutil {
namespace {

bool g_store_report = false;

// Writes the store report through the host's line output, so that it lands
// among the tour's lines (and in captured output) where it was asked for.
bool show_store_report(int what) {
    char *text = nullptr;
    size_t size = 0;
    FILE *memory = open_memstream(&text, &size);
    bool ok = memory && kt_host_store_report(memory, what) == 0;
    if (memory)
        std::fclose(memory);
    std::istringstream lines(ok ? std::string(text, size) : std::string());
    std::free(text);
    for (std::string line; std::getline(lines, line);)
        say(line);
    if (!ok)
        failure("demo", "the store report could not be written");
    return ok;
}

// Reads the non-comment lines of a file through the host's line input into
// a list of strings and one joined string.
bool read_words(const std::string &path, int32_t &list, int32_t &joined) {
    if (IINEWS(path.c_str(), static_cast<int32_t>(path.size())) < 0) {
        failure("demo", file_problem(path, kt_host_input_error()));
        return false;
    }
    const int32_t sep_len = 2;
    char buf[256];
    int32_t cap = sizeof buf, len = 0;
    bool ok = true;
    while (ok && IIGETL(buf, &cap, &len, cap) == 0) {
        while (len > 0 && (buf[len - 1] == '\n' || buf[len - 1] == ' '))
            --len;
        if (len == 0 || buf[0] == '#')
            continue;
        int32_t s = 0;
        ok = STRGEA(buf, &len, &s, len) && LSTE(&list, &s) && (!joined || STRAPA(", ", &sep_len, &joined, sep_len)) &&
             STRAPA(buf, &len, &joined, len);
    }
    IIOLDF();
    if (!ok)
        OSTORE();
    return ok;
}

std::string text_of(int32_t s, int32_t n) { return std::string(kt::store::string_chars(s), static_cast<size_t>(n)); }

int demo_store(const std::string &dir) {
    int64_t baseline = kt_host_store_bytes_in_use();
    int32_t list = 0, joined = 0, capacity = 2, kind = 1;
    if (!LSTI(&capacity, &kind, &list)) {
        OSTORE();
        return 1;
    }
    int status = 0;
    if (read_words(dir + "/words.txt", list, joined)) {
        LSTO(&list, "string indices:", 15);
        say("entries " + std::to_string(kt_icell(list + 2)) + ", capacity " + std::to_string(kt_icell(list + 3)) +
            " (grown by doubling from 2)");
        say("joined: " + text_of(joined, kt::store::string_length(joined)));
        LSTA(&list, &list);
        LSTO(&list, "list appended to itself:", 24);
        const int32_t three = 3, start = 0;
        int32_t copy = 0;
        STRDUPR(&joined, &copy);
        STREA("RES", &three, &copy, &start, 3);
        say("overwritten copy: " + text_of(copy, 24) + "...");
        if (g_store_report) {
            say("the word store with the list, its strings and the copy live:");
            if (!show_store_report(KT_STORE_REPORT_LEAKS))
                status = 1;
        }
        STRFS(&copy);
    } else {
        status = 1;
    }
    // The list holds every string twice after appending it to itself.
    for (int32_t i = 1; i <= kt_icell(list + 2) / 2; ++i) {
        int32_t s = kt_icell(kt_icell(list + 1) + i);
        STRFS(&s);
    }
    LSTD(&list);
    STRFS(&joined);
    if (status == 0)
        say("word store in use after freeing everything: " + std::to_string(kt_host_store_bytes_in_use() - baseline) +
            " bytes above the start");
    return status;
}

int run_demo(const Args &args) {
    Args operands;
    if (int done = read_options("demo", args, {{}, {{"--store-report", set_flag(g_store_report)}}}, operands);
        done >= 0)
        return done;
    if (operands.size() > 1)
        return usage_error("demo", "too many arguments");
    std::string dir = operands.empty() ? examples_dir() : operands[0];
    if (g_store_report)
        kt_host_store_tag_requesters();
    struct stat st {};
    int problem = stat(dir.c_str(), &st) != 0 ? errno : S_ISDIR(st.st_mode) ? 0 : ENOTDIR;
    if (problem)
        return failure("demo", file_problem(dir, problem));
    auto sections = demo_sections();
    std::stable_sort(sections.begin(), sections.end(), [](const auto &a, const auto &b) { return a.order < b.order; });
    int status = 0;
    for (const DemoSection &s : sections) {
        say(std::string("== ") + s.title);
        if (s.run(dir) != 0)
            status = 1;
        say("");
    }
    if (g_store_report) {
        say("== The word store after the tour");
        if (!show_store_report(KT_STORE_REPORT_ALL))
            status = 1;
    }
    return status;
}

const RegisterCommand command{{"demo", "a short tour of the library on the bundled examples",
                               "usage: kt-util demo [EXAMPLES_DIR] [--store-report]\n"
                               "\n"
                               "Runs a short tour of the library over the files in EXAMPLES_DIR\n"
                               "(default: the bundled examples/), one section per subsystem.\n"
                               "\n"
                               "  --store-report  also show the word store's report: its live blocks\n"
                               "                  by storage class and requesting entry while the\n"
                               "                  tour's strings are live, then the peak and the free\n"
                               "                  space once the tour is done\n",
                               run_demo}};
const RegisterDemo section{{10, "Word-store strings and managed lists (words.txt)", demo_store}};

} // namespace
} // namespace ktutil
