// kt-util demo: a short tour of the library over examples/.
#include <cstdio>
#include <string>

#include "command.h"
#include "kt/host.h"
#include "kt/store.h"

namespace ktutil {
namespace {

void say(const std::string &line) {
    c_oocs(line.c_str());
    c_oowrit();
}

// Reads the non-comment lines of a file through the host's line input.
bool read_words(const std::string &path, int32_t &list, int32_t &joined) {
    if (IINEWS(path.c_str(), static_cast<int32_t>(path.size())) < 0) {
        std::fprintf(stderr, "kt-util demo: cannot open %s\n", path.c_str());
        return false;
    }
    char buf[256];
    const int32_t sep_len = 2;
    int32_t cap = sizeof buf, len = 0;
    while (IIGETL(buf, &cap, &len, cap) == 0) {
        while (len > 0 && (buf[len - 1] == '\n' || buf[len - 1] == ' '))
            --len;
        if (len == 0 || buf[0] == '#')
            continue;
        int32_t s = 0;
        if (!STRGEA(buf, &len, &s, len) || !LSTE(&list, &s)) {
            OSTORE();
            IIOLDF();
            return false;
        }
        if (joined)
            STRAPA(", ", &sep_len, &joined, sep_len);
        if (!STRAPA(buf, &len, &joined, len)) {
            OSTORE();
            IIOLDF();
            return false;
        }
    }
    IIOLDF();
    return true;
}

} // namespace

int run_demo(const Args &args) {
    if (args.size() > 1)
        return usage_error("demo", "too many arguments");
    std::string dir = args.empty() ? examples_dir() : args[0];
    int64_t baseline = kt_host_store_bytes_in_use();

    say("== Word-store strings and managed lists (" + dir + "/words.txt)");
    int32_t list = 0, joined = 0, capacity = 2, kind = 1;
    if (!LSTI(&capacity, &kind, &list)) {
        OSTORE();
        return 1;
    }
    if (!read_words(dir + "/words.txt", list, joined)) {
        LSTD(&list);
        STRFS(&joined);
        return 1;
    }
    const int32_t count = kt_icell(list + 2);
    LSTO(&list, "string indices:", 15);
    say("entries " + std::to_string(count) + ", capacity " + std::to_string(kt_icell(list + 3)) +
        " (grown by doubling from 2)");
    say("joined: " + std::string(kt_cptr(kt_icell(joined + 1) + 1), static_cast<size_t>(kt_icell(joined + 2))));

    const int32_t three = 3, start = 0;
    int32_t copy = 0;
    LSTA(&list, &list); // a list appended to itself
    LSTO(&list, "list appended to itself:", 24);
    STRDUPR(&joined, &copy);
    STREA("RES", &three, &copy, &start, 3);
    say("overwritten copy: " + std::string(kt_cptr(kt_icell(copy + 1) + 1), 24) + "...");

    for (int32_t i = 1; i <= count; ++i) {
        int32_t s = kt_icell(kt_icell(list + 1) + i);
        STRFS(&s);
    }
    LSTD(&list);
    STRFS(&joined);
    STRFS(&copy);
    say("word store in use after freeing everything: " +
        std::to_string(kt_host_store_bytes_in_use() - baseline) + " bytes above the start");
    return 0;
}

} // namespace ktutil
