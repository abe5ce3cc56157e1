// The command lines of kt-util's commands, all read by the same rules:
//
// Options may stand anywhere among the operands. An argument that starts
// with "-" is an option, except "-" alone and a negative number ("-"
// followed by a digit or a point, as in -1.5 or -.5); after "--" every
// argument is an operand, whatever it starts with. A valued option takes
// the next argument ("--name VDD") or the text after "=" ("--name=VDD").
// "--help" and "-h" show the command's help. An option the command does
// not know is a usage error.
#ifndef KT_TOOLS_KT_UTIL_OPTIONS_H
#define KT_TOOLS_KT_UTIL_OPTIONS_H

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "command.h"

namespace ktutil {

struct ValuedOption {
    std::string takes;                             // "1 or 2": for the message on a bad value
    std::function<bool(const std::string &)> read; // false: the value is not acceptable
};

struct OptionTable {
    std::map<std::string, ValuedOption> valued;
    std::map<std::string, std::function<void()>> flags;
};

// Splits the arguments into options, which the table reads, and operands.
// -1: go on with the operands; otherwise the exit status to return now (0
// once the help has been shown, 2 once a usage error has been reported).
int read_options(const std::string &command, const Args &args, const OptionTable &table, Args &operands);

// An option taking a whole number from lo to hi into `out`.
ValuedOption integer_option(int64_t lo, int64_t hi, int32_t &out);
// A flag that sets `out`.
std::function<void()> set_flag(bool &out);

} // namespace ktutil

#endif
