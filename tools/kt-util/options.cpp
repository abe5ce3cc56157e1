// Reading the command lines of kt-util's commands (options.h).
#include "options.h"

#include <cctype>
#include <cstdio>
#include <cstdlib>

namespace ktutil {
namespace {

bool is_option(const std::string &a) {
    if (a.size() < 2 || a[0] != '-')
        return false;
    return !(std::isdigit(static_cast<unsigned char>(a[1])) || a[1] == '.');
}

} // namespace

int read_options(const std::string &command, const Args &args, const OptionTable &table, Args &operands) {
    bool options_end = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string &a = args[i];
        if (options_end || !is_option(a)) {
            operands.push_back(a);
            continue;
        }
        if (a == "--") {
            options_end = true;
            continue;
        }
        if (a == "--help" || a == "-h") {
            std::fputs(find_command(command)->usage, stdout);
            return 0;
        }
        size_t equals = a.compare(0, 2, "--") == 0 ? a.find('=') : std::string::npos;
        std::string name = a.substr(0, equals);
        if (auto f = table.flags.find(name); f != table.flags.end()) {
            if (equals != std::string::npos)
                return usage_error(command, name + " takes no value");
            f->second();
            continue;
        }
        auto v = table.valued.find(name);
        if (v == table.valued.end())
            return usage_error(command, "unknown option '" + name + "'");
        if (equals == std::string::npos && i + 1 == args.size())
            return usage_error(command, name + " needs " + v->second.takes);
        std::string value = equals == std::string::npos ? args[++i] : a.substr(equals + 1);
        if (!v->second.read(value))
            return usage_error(command, name + " takes " + v->second.takes + ", not '" + value + "'");
    }
    return -1;
}

ValuedOption integer_option(int64_t lo, int64_t hi, int32_t &out) {
    return {"a whole number from " + std::to_string(lo) + " to " + std::to_string(hi),
            [lo, hi, &out](const std::string &v) {
                char *end = nullptr;
                long long n = std::strtoll(v.c_str(), &end, 10);
                if (v.empty() || *end || n < lo || n > hi)
                    return false;
                out = static_cast<int32_t>(n);
                return true;
            }};
}

std::function<void()> set_flag(bool &out) {
    return [&out] { out = true; };
}

} // namespace ktutil
