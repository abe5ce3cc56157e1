// Fuzzes the VHDL scanner with arbitrary bytes as a source file. An input
// starting with "#!" followed by a byte n is read with only n heap requests
// granted; one starting with "#?" followed by bytes n and h has a fault of
// kind h % 3 injected into its (n + 1)-th read, and a read that fails then
// must add nothing. Every entity is scanned to the end and checked: its
// name is a usable VHDL name, every port has a direction word, and the
// tables are freed after each input.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "kt/host.h"
#include "kt/vhdl.h"
#include "packages/heap.h"

namespace {

void check(bool ok) {
    if (!ok)
        std::abort();
}

const std::string &source_path() {
    static const std::string path = "/tmp/kt_fuzz_vhdl_" + std::to_string(getpid()) + ".vhd";
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size) {
    int32_t grants = -1, fault_after = -1, fault = KT_IO_FAIL;
    if (size >= 3 && data[0] == '#' && data[1] == '!') {
        grants = data[2];
        data += 3;
        size -= 3;
    } else if (size >= 4 && data[0] == '#' && data[1] == '?') {
        fault_after = data[2];
        fault = data[3] % 3;
        data += 4;
        size -= 4;
    }
    FILE *f = std::fopen(source_path().c_str(), "wb");
    check(f != nullptr);
    check(std::fwrite(data, 1, size, f) == size);
    std::fclose(f);

    kt_packages_fail_alloc_after(grants, grants < 0 ? 0 : -1);
    kt_host_fail_io_after(KT_IO_READ, fault_after, fault);
    int ok = vhdlutil_VHDLSrcRead(source_path().c_str());
    kt_host_fail_io_after(KT_IO_READ, -1, KT_IO_FAIL);
    kt_packages_fail_alloc_after(-1, 0);
    check(ok == 0 || ok == 1);
    const char *error = vhdlutil_GetError();
    check(ok == 1 || error != nullptr || grants >= 0); // a refused heap may leave no room for the message
    if (error && std::strncmp(error, "Cannot read '", 13) == 0)
        check(vhdlutil_ScanEntities() == nullptr);

    while (const char *entity = vhdlutil_ScanEntities()) {
        check(IsVHDLIdentifier(entity, 0) == 1);
        std::string name = entity;
        while (const char *line = vhdlutil_ScanHeader(name.c_str()))
            check(std::strchr(line, '\n') != nullptr);
        const char *g, *type, *value;
        while (vhdlutil_ScanGenerics(name.c_str(), &g, &type, &value))
            check(IsVHDLIdentifier(g, 0) == 1);
        const char *p, *kind, *dir, *constraint;
        while (vhdlutil_ScanPorts(name.c_str(), &p, &type, &kind, &dir, &constraint))
            check(IsVHDLIdentifier(p, 0) == 1 && dir != nullptr);
    }
    vhdlutil_FreeAll();
    check(vhdlutil_GetError() == nullptr);
    return 0;
}
