// kt-util: command-line access to libkt_util (run_kt_util in dispatch.cpp).
#include "command.h"

int main(int argc, char **argv) { return ktutil::run_kt_util(ktutil::Args(argv + 1, argv + argc)); }
