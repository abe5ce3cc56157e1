// How kt-util reports what went wrong: usage errors with a hint, failures,
// and the library's numbered errors taken over by the command's own words.
#include <cstdio>
#include <cstring>

#include "command.h"
#include "kt/host.h"

namespace ktutil {

int usage_error(const std::string &command, const std::string &message) {
    std::fprintf(stderr, "kt-util %s: %s\nTry 'kt-util %s --help'.\n", command.c_str(), message.c_str(),
                 command.c_str());
    return 2;
}

int failure(const std::string &command, const std::string &message) {
    std::fprintf(stderr, "kt-util %s: %s\n", command.c_str(), message.c_str());
    return 1;
}

std::string file_problem(const std::string &path, int err) {
    return path + ": " + (err ? std::strerror(err) : "cannot be read");
}

LibraryError quietly(const std::function<void()> &call) {
    c_erseto("silent", 1);
    call();
    LibraryError e;
    // The silence is used up only when the call raised an error.
    if (c_erseto("silent", 0) == 0) {
        e.number = c_erquer("number");
        char text[1024];
        c_ergetb(text, sizeof text);
        e.text = text;
        while (!e.text.empty() && e.text.back() == '\n')
            e.text.pop_back();
    }
    return e;
}

} // namespace ktutil
