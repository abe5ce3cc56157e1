# Helpers of the consumer tests. Programs run with no LD_LIBRARY_PATH, so a
# library that cannot be found fails them.
unset(ENV{LD_LIBRARY_PATH})

# run(WHAT COMMAND...): fails the test unless COMMAND succeeds; its output
# is left in `out`.
function(run what)
  execute_process(COMMAND ${ARGN} WORKING_DIRECTORY ${WORK_DIR}
                  RESULT_VARIABLE rc OUTPUT_VARIABLE out ERROR_VARIABLE out)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "${what} failed (${rc}):\n${out}")
  endif()
  set(out "${out}" PARENT_SCOPE)
endfunction()

function(expect what text regex)
  if(NOT text MATCHES "${regex}")
    message(FATAL_ERROR "${what} printed:\n${text}")
  endif()
endfunction()

# Runs a program that prints OK; a static one must not need our libraries.
function(check_program what exe)
  run("${what}" ${exe})
  expect("${what}" "${out}" "(^|\n)OK")
  if(what MATCHES "static")
    run("readelf" ${READELF} -d ${exe})
    if(out MATCHES "libkt_")
      message(FATAL_ERROR "${what} needs shared libraries of ours:\n${out}")
    endif()
  endif()
endfunction()


# The compilers of this build, for configuring the consumer project.
set(consumer_languages -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_CXX_COMPILER=${CXX_COMPILER})
if(Fortran_COMPILER)
  list(APPEND consumer_languages -DCMAKE_Fortran_COMPILER=${Fortran_COMPILER})
endif()

# Runs every program the consumer project built in DIR.
function(check_consumer what dir)
  file(GLOB programs RELATIVE ${dir} ${dir}/*)
  if(NOT programs)
    message(FATAL_ERROR "${what}: no programs in ${dir}")
  endif()
  foreach(program ${programs})
    check_program("${what} ${program}" ${dir}/${program})
  endforeach()
endfunction()
