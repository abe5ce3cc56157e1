// ktout: the host's output stream, following standard output.
#include <iostream>

#include "kt/region.h"

ktio_ostream ktout(std::cout);
