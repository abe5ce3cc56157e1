// Numbered units: files opened for line output (OOOPEN) or for moving
// word-store cells (kt_host_open_unit). Units 1 (the journal) and 6
// (standard output) are fixed; opened files get the lowest free number
// from kFirstUnit on.
//
// A unit keeps the first failure of its file (a failed read, write or
// close); from then on it moves no more data, and closing it reports it.
#ifndef KT_SRC_HOST_UNITS_H
#define KT_SRC_HOST_UNITS_H

#include <cstdint>
#include <string>

#include "buffered_descriptor.h"

namespace kt::host {

enum class UnitKind { TextOut, BinaryRead, BinaryWrite };

constexpr int32_t kJournalUnit = 1, kStdoutUnit = 6, kFirstUnit = 10;

// A new unit, or -1 with errno when the file cannot be opened.
int32_t open_unit(const char *path, UnitKind kind);
// The writer of an open unit of that kind (TextOut or BinaryWrite), or null.
DescriptorWriter *unit_writer(int32_t unit, UnitKind kind);
// The reader of an open BinaryRead unit, or null.
DescriptorReader *unit_reader(int32_t unit);
// The file name of an open unit ("" when it is not open).
std::string unit_path(int32_t unit);
// The first failure of an open unit's file as an errno (0: none), -1 when
// the unit is not open.
int unit_error(int32_t unit);
// Closes the unit: 0, or -1 with errno when it failed before or now (data
// written to it may be lost); an unknown unit gives 0.
int close_unit(int32_t unit);

} // namespace kt::host

#endif
