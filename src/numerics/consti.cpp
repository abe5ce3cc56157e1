// The shared constants block MATHC and CONSTI, which fills it.
//
// MATHC holds zeros until CONSTI runs: loading the library runs no code.
// Each constant is written with more digits than a double holds, so the
// compiler rounds it to the nearest double.
//
// Fortran reaches the block as COMMON /MATHC/, that is as mathc_, an alias
// of the same storage. A program that refers to both names gets a copy of
// each in its own data (copy relocations), and the two copies no longer
// share storage; CONSTI therefore fills the block under both names.
#include "common/fortran_alias.h"
#include "kt/numerics.h"

extern "C" {

double MATHC[8] = {0, 0, 0, 0, 0, 0, 0, 0};

} // extern "C"

KT_FORTRAN_ALIAS(MATHC, mathc_);

namespace {

void fill(double *block) {
    block[0] = 3.14159265358979323846264338327950288;  // pi
    block[1] = 6.28318530717958647692528676655900577;  // 2 pi
    block[2] = 1.57079632679489661923132169163975144;  // pi / 2
    block[3] = 0.785398163397448309615660845819875721; // pi / 4
    block[4] = 57.2957795130823208767981548141051703;  // 180 / pi
    block[5] = 2.71828182845904523536028747135266250;  // e
    block[6] = 1.41421356237309504880168872420969808;  // sqrt 2
    block[7] = 0.707106781186547524400844362104849039; // 1 / sqrt 2
}

} // namespace

extern "C" {

void CONSTI(void) {
    fill(MATHC);
    if (&mathc_[0] != &MATHC[0])
        fill(mathc_);
}
KT_FORTRAN_ALIAS(CONSTI, consti_);

void c_consti(void) { CONSTI(); }

} // extern "C"
