// Numbered units: files opened for line output (OOOPEN) or for moving
// word-store cells (kt_host_open_unit). Units 1 (the journal) and 6
// (standard output) are fixed; opened files get the lowest free number
// from kFirstUnit on.
#ifndef KT_SRC_HOST_UNITS_H
#define KT_SRC_HOST_UNITS_H

#include <cstdint>
#include <cstdio>

namespace kt::host {

enum class UnitKind { TextOut, BinaryRead, BinaryWrite };

constexpr int32_t kJournalUnit = 1, kStdoutUnit = 6, kFirstUnit = 10;

int32_t open_unit(const char *path, UnitKind kind);
// The file of an open unit of that kind, or null.
std::FILE *unit_file(int32_t unit, UnitKind kind);
void close_unit(int32_t unit);

} // namespace kt::host

#endif
