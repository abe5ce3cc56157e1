// The store report: live blocks by storage class and requesting entry, the
// peak, and the free space with its largest chunk.
//
// Word-store blocks are invisible to the process's memory tools, so this is
// how leaks in the store are found. The report is composed whole and then
// written with one guarded write, so a failed write is reported, never a
// half report taken for success. KT_STORE_REPORT turns the recording of
// requesters on as the store is made (word_store.cpp) and says here, at
// exit, what to write.
#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "kt/host.h"
#include "word_store.h"

namespace kt::host {
namespace {

struct Group {
    bool class_neg;
    uint16_t tag;
    int64_t blocks = 0, bytes = 0;
};

void append(std::string &out, const char *format, ...) __attribute__((format(printf, 2, 3)));
void append(std::string &out, const char *format, ...) {
    char line[256];
    va_list args;
    va_start(args, format);
    int n = std::vsnprintf(line, sizeof line, format, args);
    va_end(args);
    out.append(line, n < 0 ? 0 : std::min<size_t>(static_cast<size_t>(n), sizeof line - 1));
}

const char *plural(int64_t n) { return n == 1 ? "" : "s"; }

std::string compose(int what) {
    const Arena &arena = store_arena();
    const BlockTags &tags = store_tags();
    std::map<std::pair<bool, uint16_t>, Group> by_key;
    int64_t blocks = 0, bytes = 0;
    bool tagged = store_tagging(); // else the tags were never made
    arena.each_live([&](uint32_t payload, uint32_t size, bool class_neg) {
        uint16_t tag = tagged ? tags.get(payload) : 0;
        Group &g = by_key.try_emplace({class_neg, tag}, Group{class_neg, tag}).first->second;
        ++g.blocks;
        g.bytes += size;
        ++blocks;
        bytes += size;
    });

    std::string out;
    append(out, "word store: %" PRId64 " live block%s, %" PRId64 " bytes", blocks, plural(blocks), bytes);
    if (what & KT_STORE_REPORT_STATS)
        append(out, ", peak %" PRId64 " bytes", arena.peak_bytes());
    out += '\n';
    if ((what & KT_STORE_REPORT_LEAKS) && blocks > 0) {
        std::vector<Group> groups;
        for (const auto &kv : by_key)
            groups.push_back(kv.second);
        std::sort(groups.begin(), groups.end(), [&](const Group &a, const Group &b) {
            if (a.bytes != b.bytes)
                return a.bytes > b.bytes;
            if (a.blocks != b.blocks)
                return a.blocks > b.blocks;
            return std::strcmp(tags.name(a.tag), tags.name(b.tag)) < 0;
        });
        if (!tagged)
            append(out, "(requesters are not recorded: set KT_STORE_REPORT or call kt_host_store_tag_requesters)\n");
        append(out, "%10s %14s %6s  %s\n", "blocks", "bytes", "class", "entry");
        for (const Group &g : groups)
            append(out, "%10" PRId64 " %14" PRId64 " %6d  %.200s\n", g.blocks, g.bytes, g.class_neg ? -1 : 0,
                   tags.name(g.tag));
    }
    if (what & KT_STORE_REPORT_STATS) {
        Arena::Space s = arena.space();
        append(out,
               "word store free space: %" PRId64 " bytes in %" PRId64 " chunk%s, largest %" PRId64 " bytes; %" PRId64
               " bytes committed above the top\n",
               s.free_bytes, s.free_chunks, plural(s.free_chunks), s.largest_free, s.above_top);
    }
    return out;
}

void report_at_exit() {
    const char *value = std::getenv("KT_STORE_REPORT");
    if (!value || !*value)
        return;
    int what = std::strcmp(value, "leaks") == 0   ? KT_STORE_REPORT_LEAKS
               : std::strcmp(value, "stats") == 0 ? KT_STORE_REPORT_STATS
               : std::strcmp(value, "all") == 0   ? KT_STORE_REPORT_ALL
                                                  : 0;
    if (what)
        kt_host_store_report(stderr, what);
    else
        std::fprintf(stderr, "KT_STORE_REPORT=%.100s: not leaks, stats or all; no store report\n", value);
}

// Registered at load, so it runs after the program's own exit handlers
// registered later, when their blocks are gone.
[[maybe_unused]] const bool g_report_registered = (std::atexit(report_at_exit), true);

} // namespace
} // namespace kt::host

extern "C" int32_t kt_host_store_report(FILE *out, int what) {
    if (!out || what < 0 || what > KT_STORE_REPORT_ALL) {
        errno = EINVAL;
        return -1;
    }
    std::string text = kt::host::compose(what);
    int64_t written;
    do // an interrupted write wrote nothing
        written = kt_io_fwrite(out, text.data(), static_cast<int64_t>(text.size()));
    while (written < 0 && errno == EINTR);
    return written < 0 || kt_io_fflush(out) != 0 ? -1 : 0;
}
