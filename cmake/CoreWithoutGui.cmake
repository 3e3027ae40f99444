# Fails when a source of the core (zevcore) includes a header of the windows
# (zevgui): operations never depend on windows, so zev-cli and the tests
# link no widgets. Run as a test: cmake -DROOT=... -DCORE=file -DGUI=file -P
cmake_minimum_required(VERSION 3.25)
file(STRINGS "${CORE}" core_sources)
file(STRINGS "${GUI}" gui_sources)

set(gui_headers)
foreach(source IN LISTS gui_sources)
  if(source MATCHES "\\.h$")
    file(RELATIVE_PATH header "${ROOT}" "${source}")
    list(APPEND gui_headers "${header}")
  endif()
endforeach()

set(offences)
foreach(source IN LISTS core_sources)
  file(STRINGS "${source}" includes REGEX "^[ \t]*#[ \t]*include[ \t]*\"")
  foreach(line IN LISTS includes)
    string(REGEX REPLACE "^[ \t]*#[ \t]*include[ \t]*\"([^\"]+)\".*" "\\1" header "${line}")
    if(header IN_LIST gui_headers)
      file(RELATIVE_PATH shown "${ROOT}" "${source}")
      list(APPEND offences "${shown} includes ${header}")
    endif()
  endforeach()
endforeach()

list(LENGTH core_sources checked)
if(offences)
  list(JOIN offences "\n  " listed)
  message(FATAL_ERROR "The core includes headers of the windows:\n  ${listed}")
endif()
message(STATUS "${checked} core sources, none includes a window's header")
