// Interning the net names of a small netlist in a StringTable, and counting
// how often each component kind occurs with a Hash_cString_int.
//
// Everything lives in one region; dropping the tables gives every byte back.
#include <cstdio>

#include "kt/containers_hash.h"

int main() {
    // Each line: component, kind, and the two nets it connects.
    const char *netlist[][4] = {
        {"R1", "resistor", "in", "mid"},   {"C1", "capacitor", "mid", "gnd"}, {"R2", "resistor", "mid", "out"},
        {"C2", "capacitor", "out", "gnd"}, {"D1", "diode", "out", "clamp"},   {"R3", "resistor", "clamp", "gnd"},
    };
    PWSRegion region;
    {
        StringTable nets(&region);
        Hash_cString_int kinds(&region);
        for (const auto &line : netlist) {
            int a = nets.enter(line[2]), b = nets.enter(line[3]);
            std::printf("%-3s %-10s connects net %d (%s) to net %d (%s)\n", line[0], line[1], a, line[2], b, line[3]);
            int created = 0;
            Hash_entry_cString_int *kind = kinds.create(line[1], created);
            if (a < 0 || b < 0 || !kind) {
                std::fprintf(stderr, "string_table_demo: out of memory\n");
                return 1;
            }
            kinds.save_value(kind, kinds.value(kind) + 1);
        }

        // A released id is handed out again to the next new name.
        int clamp = nets.find("clamp");
        nets.free(clamp);
        std::printf("released net %d (clamp); net \"vref\" gets id %d\n", clamp, nets.enter("vref"));
        std::printf("nets: %d ids handed out, \"gnd\" is %d, \"nowhere\" is %d\n", nets.id_limit(), nets.find("gnd"),
                    nets.find("nowhere"));

        Hash_Iterator walk(&kinds);
        while (Hash_entry *e = walk()) {
            auto *kind = static_cast<Hash_entry_cString_int *>(e);
            std::printf("kind %-10s x %d\n", kinds.key(kind), kinds.value(kind));
        }
    }
    std::printf("region bytes in use after the tables are gone: %lld\n", static_cast<long long>(region.bytes_in_use()));
    return region.bytes_in_use() == 0 ? 0 : 1;
}
