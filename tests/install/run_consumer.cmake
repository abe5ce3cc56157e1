# Installs a build tree, moves the install elsewhere and checks, with no
# LD_LIBRARY_PATH, what an outside user gets there: kt-util runs and reads
# its own examples, every header compiles alone, and programs built through
# the CMake package, pkg-config, -L or a library's path start and work,
# shared and static. Run with cmake -P; see CMakeLists.txt for the variables.
cmake_minimum_required(VERSION 3.25)
set(prefix ${WORK_DIR}/prefix)
set(lib ${prefix}/${LIBDIR})
set(inc ${prefix}/${INCLUDEDIR})
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
separate_arguments(flags UNIX_COMMAND "${FLAGS}")

include(${CMAKE_CURRENT_LIST_DIR}/checks.cmake)

run("install" ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${WORK_DIR}/stage)
# Nothing may depend on where the install was made.
file(RENAME ${WORK_DIR}/stage ${prefix})

# libkt_util names libkt_corvane and finds it beside itself.
run("readelf" ${READELF} -d ${lib}/libkt_util.so)
if(NOT out MATCHES "NEEDED[^\n]*\\[libkt_corvane\\.so" OR NOT out MATCHES "RU?N?PATH[^\n]*\\[\\$ORIGIN\\]")
  message(FATAL_ERROR "libkt_util.so must need libkt_corvane and look for it in $ORIGIN:\n${out}")
endif()

run("installed kt-util" ${prefix}/${BINDIR}/kt-util --version)
expect("kt-util --version" "${out}" "^kt-util ${VERSION}\n$")
# The demo reads the examples installed beside the program, not those of
# the source tree: a word added to them shows.
file(APPEND ${prefix}/${DATADIR}/kt_util/examples/words.txt "relocated\n")
run("installed kt-util demo" ${prefix}/${BINDIR}/kt-util demo)
expect("kt-util demo" "${out}" "joined: [^\n]*, relocated\n")

# Every header compiles alone as C++17, and all but the C++ ones as C.
set(cxx_only containers_hash.h containers_list.h msglevel.h regexp.h region.h)
file(GLOB headers RELATIVE ${inc}/kt ${inc}/kt/*.h)
foreach(h ${headers})
  run("${h} as C++" ${CXX_COMPILER} -std=c++17 -fsyntax-only -Wall -Wextra -Werror -I${inc} -x c++ ${inc}/kt/${h})
  if(NOT h IN_LIST cxx_only)
    run("${h} as C" ${C_COMPILER} -std=c11 -fsyntax-only -Wall -Wextra -Werror -I${inc} -x c ${inc}/kt/${h})
  endif()
endforeach()

# Through the CMake package, also from a project without C++.
foreach(without_cxx OFF ON)
  set(build ${WORK_DIR}/consumer-without-cxx-${without_cxx})
  run("configure consumer" ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${build} -G "${GENERATOR}"
      -DKT_FROM=package -DKT_VERSION=${VERSION} -DKT_WITHOUT_CXX=${without_cxx} ${consumer_languages}
      -DCMAKE_PREFIX_PATH=${prefix} -DCMAKE_FIND_USE_PACKAGE_REGISTRY=OFF
      "-DCMAKE_C_FLAGS=${FLAGS}" "-DCMAKE_CXX_FLAGS=${FLAGS}" "-DCMAKE_Fortran_FLAGS=${FLAGS}"
      "-DCMAKE_EXE_LINKER_FLAGS=${FLAGS}")
  run("build consumer" ${CMAKE_COMMAND} --build ${build})
  check_consumer("package (without C++: ${without_cxx})" ${build}/bin)
endforeach()

if(NOT PKG_CONFIG)
  message(STATUS "pkg-config not found: its file is not checked")
  return()
endif()
set(ENV{PKG_CONFIG_PATH} ${lib}/pkgconfig)
function(pkg_config var)
  run("pkg-config ${ARGN}" ${PKG_CONFIG} ${ARGN} kt_util)
  string(STRIP "${out}" out)
  separate_arguments(out UNIX_COMMAND "${out}")
  set(${var} ${out} PARENT_SCOPE)
endfunction()
pkg_config(cflags --cflags)
pkg_config(libs --libs)
pkg_config(static_libs --static --libs)
pkg_config(libdir --variable=libdir)
file(REAL_PATH "${libdir}" libdir)
file(REAL_PATH "${lib}" expected)
if(NOT libdir STREQUAL expected)
  message(FATAL_ERROR "pkg-config's libdir ${libdir} is not ${expected}")
endif()

# The link lines of the README: an executable linked against libraries
# outside the default paths carries their directory as its run path.
function(link_and_run what compiler)
  string(MAKE_C_IDENTIFIER "by ${what}" name)
  run("build ${what}" ${compiler} ${flags} -Wl,--as-needed -o ${WORK_DIR}/${name} ${ARGN})
  check_program("${what}" ${WORK_DIR}/${name})
endfunction()
set(c ${CONSUMER_DIR}/util_only.c)
set(rpath -Wl,-rpath,${libdir})
link_and_run("pkg-config" ${C_COMPILER} ${c} ${cflags} ${libs} ${rpath})
link_and_run("-L" ${C_COMPILER} ${c} -I${inc} -L${lib} -lkt_util ${rpath})
link_and_run("path" ${C_COMPILER} ${c} -I${inc} ${lib}/libkt_util.so ${rpath})
if(Fortran_COMPILER)
  link_and_run("pkg-config Fortran" ${Fortran_COMPILER} ${CONSUMER_DIR}/lists.f90 ${cflags} ${libs} ${rpath})
endif()
# A static program: our libraries by -Bstatic, the rest as --static says.
set(static_libs_only "")
foreach(arg ${static_libs})
  if(arg MATCHES "^-lkt_")
    list(APPEND static_libs_only -Wl,-Bstatic ${arg} -Wl,-Bdynamic)
  else()
    list(APPEND static_libs_only ${arg})
  endif()
endforeach()
link_and_run("pkg-config static" ${C_COMPILER} ${c} ${cflags} ${static_libs_only})
# The sanitizers' runtimes cannot be linked statically.
if(NOT FLAGS)
  link_and_run("pkg-config fully static" ${C_COMPILER} -static ${c} ${cflags} ${static_libs})
endif()
