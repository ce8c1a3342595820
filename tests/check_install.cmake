# Installs the build into a scratch prefix and checks what a user gets: the
# programs, the desktop entry with its icon, the software-centre description,
# the manual pages and the completion, each option of --help documented, and
# the help in Chinese under a Chinese locale.
#   cmake -DBUILD_DIR=... -DSOURCE_DIR=... -DGUI=ON|OFF -DVERSION=... -P check_install.cmake
set(prefix ${BUILD_DIR}/install-check)
file(REMOVE_RECURSE ${prefix})
execute_process(COMMAND ${CMAKE_COMMAND} --install ${BUILD_DIR} --prefix ${prefix}
                RESULT_VARIABLE failed OUTPUT_QUIET)
if(failed)
  message(FATAL_ERROR "cmake --install failed")
endif()

set(id example.zemlorin.tovenrak)
set(expected bin/tovenrak-convert share/man/man1/tovenrak-convert.1.gz
             share/bash-completion/completions/tovenrak-convert
             share/doc/tovenrak/copyright)
set(programs tovenrak-convert)
if(GUI)
  list(APPEND programs tovenrak)
  list(APPEND expected bin/tovenrak share/man/man1/tovenrak.1.gz
       share/applications/${id}.desktop share/metainfo/${id}.metainfo.xml)
  foreach(size 32 64 128 256)
    list(APPEND expected share/icons/hicolor/${size}x${size}/apps/${id}.png)
  endforeach()
endif()
foreach(file ${expected})
  if(NOT EXISTS ${prefix}/${file})
    message(SEND_ERROR "not installed: ${file}")
  endif()
endforeach()

foreach(program ${programs})
  execute_process(COMMAND ${prefix}/bin/${program} --version
                  OUTPUT_VARIABLE said RESULT_VARIABLE failed)
  if(failed OR NOT said MATCHES "^${program} \\(Zemlorin Tovenrak\\) ${VERSION}\n")
    message(SEND_ERROR "${program} --version said: ${said}")
  endif()
  # The help speaks the locale's Chinese, in its character set.
  execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=zh_TW.UTF-8
                          ${prefix}/bin/${program} --help
                  OUTPUT_VARIABLE said RESULT_VARIABLE failed)
  if(failed OR NOT said MATCHES "^用法：")
    message(SEND_ERROR "${program} --help under zh_TW said: ${said}")
  endif()
endforeach()

if(GUI)
  file(READ ${prefix}/share/applications/${id}.desktop entry)
  foreach(line "Exec=tovenrak %F" "Icon=${id}" "MimeType=text/html;text/plain;"
               "Name[zh_CN]=" "Name[zh_TW]=")
    string(FIND "${entry}" "\n${line}" at)
    if(at EQUAL -1)
      message(SEND_ERROR "the desktop entry lacks ${line}")
    endif()
  endforeach()
  # The validators where installed (desktop-file-utils, appstream).
  find_program(desktop_validate desktop-file-validate)
  if(desktop_validate)
    execute_process(COMMAND ${desktop_validate} ${prefix}/share/applications/${id}.desktop
                    RESULT_VARIABLE failed)
    if(failed)
      message(SEND_ERROR "desktop-file-validate refused the desktop entry")
    endif()
  endif()
  find_program(appstreamcli appstreamcli)
  if(appstreamcli)
    execute_process(COMMAND ${appstreamcli} validate --no-net
                            ${prefix}/share/metainfo/${id}.metainfo.xml
                    RESULT_VARIABLE failed OUTPUT_VARIABLE said ERROR_VARIABLE said)
    if(failed)
      message(SEND_ERROR "appstreamcli refused the metainfo: ${said}")
    endif()
  endif()
endif()

# Every option --help names has its entry in the manual page (a tag line
# after .TP) and is offered by the completion.
execute_process(COMMAND ${CMAKE_COMMAND} -E env LC_ALL=C
                        ${prefix}/bin/tovenrak-convert --help
                OUTPUT_VARIABLE help)
string(REGEX MATCHALL "--[a-z][a-z-]+" options "${help}")
list(REMOVE_DUPLICATES options)
file(READ ${SOURCE_DIR}/dist/tovenrak-convert.1 manual)
string(REGEX MATCHALL "\\.TP\n[^\n]*" tags "${manual}")
file(READ ${prefix}/share/bash-completion/completions/tovenrak-convert completion)
foreach(option ${options})
  string(REPLACE "-" "\\\\-" roff "${option}")
  string(REGEX MATCH "${roff}([^a-z-]|$)" in_manual "${tags}")
  string(REGEX MATCH "${option}([^a-z-]|$)" in_completion "${completion}")
  if(NOT in_manual OR NOT in_completion)
    message(SEND_ERROR "${option} is missing from the manual or the completion")
  endif()
endforeach()
file(REMOVE_RECURSE ${prefix})
