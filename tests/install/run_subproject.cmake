# Builds and runs the consumer programs with the source tree pulled in by
# add_subdirectory, then by FetchContent in the same build tree, which finds
# the library's objects built by the first (the same commands in the same
# binary directory) and links the programs again. The library must need neither
# GoogleTest nor Google Benchmark then, and install nothing of its own.
# Run with cmake -P; see CMakeLists.txt for the variables.
cmake_minimum_required(VERSION 3.25)
include(${CMAKE_CURRENT_LIST_DIR}/checks.cmake)
set(build ${WORK_DIR}/build)
file(REMOVE_RECURSE ${WORK_DIR})
file(MAKE_DIRECTORY ${WORK_DIR})
if(LAUNCHER)
  list(APPEND consumer_languages -DCMAKE_C_COMPILER_LAUNCHER=${LAUNCHER} -DCMAKE_CXX_COMPILER_LAUNCHER=${LAUNCHER})
endif()

foreach(from add_subdirectory FetchContent)
  run("configure (${from})" ${CMAKE_COMMAND} -S ${CONSUMER_DIR} -B ${build} -G "${GENERATOR}"
      -DKT_FROM=${from} -DKT_SOURCE_DIR=${SOURCE_DIR} -DFETCHCONTENT_SOURCE_DIR_KT_UTIL=${SOURCE_DIR}
      -DCMAKE_DISABLE_FIND_PACKAGE_GTest=ON -DCMAKE_DISABLE_FIND_PACKAGE_benchmark=ON
      ${consumer_languages})
  # The programs are linked anew against the targets of each way.
  file(REMOVE_RECURSE ${build}/bin)
  run("build (${from})" ${CMAKE_COMMAND} --build ${build})
  check_consumer("${from}" ${build}/bin)
  run("install (${from})" ${CMAKE_COMMAND} --install ${build} --prefix ${WORK_DIR}/prefix)
  if(EXISTS ${WORK_DIR}/prefix)
    message(FATAL_ERROR "installing a project that uses the library as a subproject installed it too")
  endif()
endforeach()
