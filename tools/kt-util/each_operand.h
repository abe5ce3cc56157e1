// The commands that read each operand on its own (number, path, fid): one
// option, --json, and a result per operand, printed as text or written as
// an element of the JSON document {"LIST": [...]}.
#ifndef KT_TOOLS_KT_UTIL_EACH_OPERAND_H
#define KT_TOOLS_KT_UTIL_EACH_OPERAND_H

#include <functional>
#include <string>

#include "command.h"
#include "json.h"

namespace ktutil {

// Shows one operand as text (json null) or as a JSON element; false when
// the operand counts as a failure.
using OperandReader = std::function<bool(const std::string &operand, JsonWriter *json)>;

// The exit status: 0 when every operand succeeds, 1 when one fails, 2
// for a usage error (`missing` is the message when there is no operand).
int run_each_operand(const std::string &command, const Args &args, const char *list, const char *missing,
                     const OperandReader &read);

} // namespace ktutil

#endif
