# Checks of the identity and picture files; they need no compiled code, only the source tree and a few tools.

find_package(Python3 COMPONENTS Interpreter)
if(NOT Python3_Interpreter_FOUND)
  message(WARNING "python3 not found: the resources_ tests are not registered")
  return()
endif()

set(PALL_CHECK_RESOURCES ${CMAKE_CURRENT_SOURCE_DIR}/check_resources.py)
set(PALL_RESOURCES ${CMAKE_SOURCE_DIR}/resources)

# windres runs the .rc through a C preprocessor; without the MinGW compiler, the host's C++ driver in C mode serves.
find_program(PALL_WINDRES x86_64-w64-mingw32-windres)
find_program(PALL_MINGW_CC x86_64-w64-mingw32-gcc)
if(PALL_MINGW_CC)
  set(PALL_RC_PREPROCESSOR ${PALL_MINGW_CC})
else()
  set(PALL_RC_PREPROCESSOR ${CMAKE_CXX_COMPILER})
endif()
if(NOT PALL_WINDRES)
  # A missing tool fails the test with the reason, rather than passing a check that never ran.
  set(PALL_WINDRES x86_64-w64-mingw32-windres)
endif()
add_test(NAME resources_windres
         COMMAND Python3::Interpreter ${PALL_CHECK_RESOURCES} windres ${PALL_WINDRES} ${PALL_RC_PREPROCESSOR}
                 ${PALL_RESOURCES} ${CMAKE_CURRENT_BINARY_DIR}/pallastrovane.res)

add_test(NAME resources_desktop_file COMMAND Python3::Interpreter ${PALL_CHECK_RESOURCES} desktop ${PALL_RESOURCES})
set_tests_properties(resources_desktop_file PROPERTIES SKIP_RETURN_CODE 77)

add_test(NAME resources_pictures COMMAND Python3::Interpreter ${PALL_CHECK_RESOURCES} pictures ${PALL_RESOURCES})

set_tests_properties(resources_windres resources_desktop_file resources_pictures PROPERTIES LABELS resources)
