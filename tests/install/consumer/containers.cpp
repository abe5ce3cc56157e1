// A C++ program on the library: its C++ headers need C++17, which the
// targets require although this project asks for C++11.
#include <cstdio>

#include <kt/containers_hash.h>

int main() {
    PWSRegion region;
    StringTable names(&region);
    int vdd = names.enter("vdd"), gnd = names.enter("gnd"), again = names.enter("vdd");
    bool ok = vdd == 0 && gnd == 1 && again == 0 && names.find("gnd") == 1;
    std::puts(ok ? "OK" : "FAIL");
    return ok ? 0 : 1;
}
