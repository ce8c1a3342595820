# Runs each program from a folder where someone has planted files under the
# names of the libraries it loads, as another user may in a shared folder:
# the program must start all the same, loading none of them.
#   cmake -DPROGRAMS="path;..." -DSCRATCH=folder -P check_planted_library.cmake
file(REMOVE_RECURSE ${SCRATCH})
file(MAKE_DIRECTORY ${SCRATCH})
foreach(program ${PROGRAMS})
  execute_process(COMMAND ldd ${program} OUTPUT_VARIABLE listed
                  RESULT_VARIABLE failed)
  if(failed)
    message(FATAL_ERROR "ldd ${program} failed")
  endif()
  string(REGEX MATCHALL "[^\t\n ]+\\.so[^\t\n ]* =>" names "${listed}")
  foreach(name ${names})
    string(REPLACE " =>" "" name "${name}")
    file(WRITE ${SCRATCH}/${name} "not a library\n")
  endforeach()
  execute_process(COMMAND ${program} --version WORKING_DIRECTORY ${SCRATCH}
                  RESULT_VARIABLE failed OUTPUT_QUIET ERROR_VARIABLE said)
  if(failed)
    message(SEND_ERROR "${program} loaded a planted library: ${said}")
  endif()
endforeach()
file(REMOVE_RECURSE ${SCRATCH})
