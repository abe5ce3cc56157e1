# Installs a build tree into WORK_DIR/prefix, then checks what an outside
# user gets: the installed kt-util starts without help from the environment,
# a CMake project finds kt::util and kt::corvane, and pkg-config's flags
# build a program. Run with cmake -P; see CMakeLists.txt for the variables.
set(prefix ${WORK_DIR}/prefix)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
separate_arguments(flags UNIX_COMMAND "${FLAGS}")

function(run what)
  execute_process(COMMAND ${ARGN} RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix})

# Its install RPATH must find the libraries beside it.
run("installed kt-util" ${prefix}/${BINDIR}/kt-util --version)
if(NOT out MATCHES "^kt-util [0-9]")
  message(FATAL_ERROR "installed kt-util --version printed:\n${out}")
endif()

run("configure consumer" ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${WORK_DIR}/consumer -G "${GENERATOR}"
    -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
    -DCMAKE_C_COMPILER=${C_COMPILER} "-DCMAKE_C_FLAGS=${FLAGS}" "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
run("build consumer" ${CMAKE_COMMAND} --build ${WORK_DIR}/consumer)

set(ENV{LD_LIBRARY_PATH} ${prefix}/${LIBDIR})
run("consumer" ${WORK_DIR}/consumer/consumer)
if(NOT out STREQUAL "OK\n")
  message(FATAL_ERROR "consumer printed:\n${out}")
endif()

if(NOT PKG_CONFIG)
  message(STATUS "pkg-config not found: its file is not checked")
  return()
endif()
set(ENV{PKG_CONFIG_PATH} ${prefix}/${LIBDIR}/pkgconfig)
# A file that names the configured prefix would build against another install.
run("pkg-config" ${PKG_CONFIG} --variable=includedir kt_util)
string(STRIP "${out}" includedir)
file(REAL_PATH "${includedir}" includedir)
file(REAL_PATH "${prefix}/${INCLUDEDIR}" expected)
if(NOT includedir STREQUAL expected)
  message(FATAL_ERROR "pkg-config's includedir ${includedir} is not ${expected}")
endif()
run("pkg-config" ${PKG_CONFIG} --cflags --libs kt_util)
separate_arguments(pc_flags UNIX_COMMAND "${out}")
file(WRITE ${WORK_DIR}/pc.c
  "#include <kt/store.h>\nint main(void) { int32_t c = 2, k = 1, l = 0; int ok = LSTI(&c, &k, &l) != 0; LSTD(&l); return !ok || l; }\n")
run("pkg-config build" ${C_COMPILER} ${flags} ${WORK_DIR}/pc.c -o ${WORK_DIR}/pc ${pc_flags})
run("pkg-config program" ${WORK_DIR}/pc)
