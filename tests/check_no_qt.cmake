# Fails when a file of a Qt-free folder includes a Qt header.
file(GLOB_RECURSE sources
  ${SOURCE_DIR}/src/core/*.h ${SOURCE_DIR}/src/core/*.cpp
  ${SOURCE_DIR}/src/main_window/*.h ${SOURCE_DIR}/src/main_window/*.cpp
  ${SOURCE_DIR}/src/batch/*.h ${SOURCE_DIR}/src/batch/*.cpp
  ${SOURCE_DIR}/src/platform/*.h ${SOURCE_DIR}/src/platform/*.cpp)
set(offenders "")
foreach(f IN LISTS sources)
  if(f MATCHES "/platform/qt/")
    continue()
  endif()
  file(STRINGS ${f} hits REGEX "#include <Q")
  if(hits)
    list(APPEND offenders ${f})
  endif()
endforeach()
if(offenders)
  message(FATAL_ERROR "Qt headers in Qt-free code: ${offenders}")
endif()
