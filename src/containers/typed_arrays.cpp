// The exported members of the typed arrays; the shared code is Arr_slots.
#include "kt/containers.h"

int Arr_intptr_t::enter(intptr_t value) { return Arr_slots::enter(value); }

void Arr_intptr_t::remove(int index) { Arr_slots::remove(index); }
