// Gen_Exception: the base of the simulator's exceptions, and its stream output.
#include "kt/msglevel.h"

Gen_Exception::~Gen_Exception() = default;

void Gen_Exception::print(std::ostream &os, int detail) const {
    (void)detail;
    os << "exception";
}

std::ostream &operator<<(std::ostream &os, const Gen_Exception &e) {
    e.print(os, 0);
    return os;
}
