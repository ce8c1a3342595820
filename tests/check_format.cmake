# Fails when a C++ file of the project differs from clang-format's output.
find_program(CLANG_FORMAT NAMES clang-format clang-format-14 REQUIRED)
file(GLOB_RECURSE sources ${SOURCE_DIR}/src/*.h ${SOURCE_DIR}/src/*.cpp
     ${SOURCE_DIR}/tests/*.h ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/bench/*.cpp
     ${SOURCE_DIR}/fuzz/*.cpp)
set(unformatted "")
foreach(f IN LISTS sources)
  execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${f}
                  RESULT_VARIABLE rc OUTPUT_QUIET ERROR_QUIET)
  if(NOT rc EQUAL 0)
    list(APPEND unformatted ${f})
  endif()
endforeach()
if(unformatted)
  message(FATAL_ERROR "Not formatted with clang-format: ${unformatted}")
endif()
