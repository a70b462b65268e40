# Runs the program with the preloaded driver (its environment comes from CTest) and checks what the driver saw.
# By default (DRIVER handover-close): the splash window first, the hand-over to the calculator, exit code 0 once
# the calculator is closed, and the picture canvases showing their pictures. DRIVER names another scenario of the
# driver, and EXPECT (comma-separated) the report lines it must leave; the process must end with 0 in every case.
# The default scenario also sees the program's icon in every size it is installed in and its desktop entry named,
# and the splash window shown without any image format plugin loaded: its pictures and the icon are PNG files, read
# without asking every plugin to guess their format.
if(NOT DRIVER)
  set(DRIVER handover-close)
endif()
if(NOT EXPECT)
  set(EXPECT "splash_first=1,splash_pictures=1,calculator_pictures=2")
  set(IDENTITY "icon_sizes=16,32,48,256\n" "desktop_file=pallastrovane\n" "splash_image_plugins=\n")
endif()
string(REPLACE "," ";" EXPECT "${EXPECT}")
file(REMOVE ${REPORT})
set(ENV{PALL_DRIVER} ${DRIVER})
set(ENV{PALL_DRIVER_REPORT} ${REPORT})
execute_process(COMMAND ${PROGRAM} RESULT_VARIABLE code TIMEOUT 50)
if(NOT code STREQUAL "0")
  message(FATAL_ERROR "${PROGRAM} ended with ${code}, not 0")
endif()
if(NOT EXISTS ${REPORT})
  message(FATAL_ERROR "the driver saw no calculator window")
endif()
file(READ ${REPORT} report)
message(STATUS "driver report:\n${report}")
foreach(expected IN LISTS EXPECT IDENTITY)
  string(FIND "${report}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected ${expected} in the driver's report")
  endif()
endforeach()
