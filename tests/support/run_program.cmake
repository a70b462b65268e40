# Runs the program with the preloaded driver (its environment comes from CTest) and checks what the driver saw:
# the splash window first, the hand-over to the calculator, exit code 0 once the calculator is closed, and the
# picture canvases showing their pictures, and the program's icon and desktop entry.
file(REMOVE ${REPORT})
set(ENV{PALL_DRIVER} handover-close)
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
# The window icon is the program's icon in every size it is installed in, and the desktop entry is named.
foreach(expected "splash_first=1" "splash_pictures=1" "calculator_pictures=2" "icon_sizes=16,32,48,256\n"
                 "desktop_file=pallastrovane\n")
  string(FIND "${report}" "${expected}" at)
  if(at EQUAL -1)
    message(FATAL_ERROR "expected ${expected} in the driver's report")
  endif()
endforeach()
