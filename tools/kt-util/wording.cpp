// Numbers and counts as kt-util words them (wording.h).
#include "wording.h"

#include <charconv>
#include <cmath>

namespace ktutil {

std::string number_text(double x) {
    if (std::isnan(x))
        return "nan";
    if (std::isinf(x))
        return x > 0 ? "inf" : "-inf";
    char text[32];
    return std::string(text, std::to_chars(text, text + sizeof text, x).ptr);
}

std::string counted(int64_t n, const std::string &noun, const std::string &plural) {
    return std::to_string(n) + " " + (n == 1 ? noun : plural.empty() ? noun + "s" : plural);
}

std::string seconds(double s) { return number_text(s) + (s == 1 ? " second" : " seconds"); }

} // namespace ktutil
