// How kt-util writes numbers and counts in its messages and JSON: a real
// as the shortest text that reads back to the same value ("1", "0.1",
// "2.5e-09"), and a count with its noun in the right number ("1 value",
// "3 values").
#ifndef KT_TOOLS_KT_UTIL_WORDING_H
#define KT_TOOLS_KT_UTIL_WORDING_H

#include <cstdint>
#include <string>

namespace ktutil {

// The shortest decimal text that reads back to x; "inf", "-inf", "nan"
// for the values that have none.
std::string number_text(double x);

// "1 point", "2 points"; `plural` when adding an "s" is not the plural.
std::string counted(int64_t n, const std::string &noun, const std::string &plural = "");

// "1 second", "0.5 seconds".
std::string seconds(double s);

} // namespace ktutil

#endif
