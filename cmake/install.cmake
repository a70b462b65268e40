# Windows identity and the install layout of the Pallastrovane executable.
# Included right after the target is defined, so the rules below can name it.

include(GNUInstallDirs)

set(PALL_RESOURCES ${CMAKE_SOURCE_DIR}/resources)

if(WIN32)
  enable_language(RC)
  target_sources(Pallastrovane PRIVATE ${PALL_RESOURCES}/pallastrovane.rc)
  # The .rc names the manifest and icon by bare file name; rc.exe and windres look them up on the include path.
  set_source_files_properties(${PALL_RESOURCES}/pallastrovane.rc PROPERTIES
    INCLUDE_DIRECTORIES ${PALL_RESOURCES}
    OBJECT_DEPENDS "${PALL_RESOURCES}/pallastrovane.manifest;${PALL_RESOURCES}/pallastrovane.ico")
  if(MSVC)
    # The .rc carries the manifest; the linker's own would be a second one and fail the link.
    target_link_options(Pallastrovane PRIVATE /MANIFEST:NO)
  endif()
endif()

# The resource manager finds installed pictures at <exe dir>/../share/pallastrovane, a path fixed in the program,
# so the install only works with bin and share as siblings.
if(NOT CMAKE_INSTALL_BINDIR STREQUAL "bin" OR NOT CMAKE_INSTALL_DATADIR STREQUAL "share")
  message(WARNING "Pallastrovane looks for its pictures in ../share/pallastrovane beside its binary; with "
                  "CMAKE_INSTALL_BINDIR=${CMAKE_INSTALL_BINDIR} and CMAKE_INSTALL_DATADIR=${CMAKE_INSTALL_DATADIR} "
                  "the installed program will not find them.")
endif()

install(TARGETS Pallastrovane RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
# The pictures listed in the root CMakeLists.txt, with their double-size variants.
install(FILES ${RESOURCE_PICTURES} DESTINATION ${CMAKE_INSTALL_DATADIR}/pallastrovane)

# Desktop integration follows the freedesktop.org layout, which Windows has no use for.
if(NOT WIN32)
  foreach(size 16 32 48 256)
    install(FILES ${PALL_RESOURCES}/icons/hicolor/${size}x${size}/apps/pallastrovane.png
            DESTINATION ${CMAKE_INSTALL_DATADIR}/icons/hicolor/${size}x${size}/apps)
  endforeach()
  install(FILES ${PALL_RESOURCES}/pallastrovane.desktop DESTINATION ${CMAKE_INSTALL_DATADIR}/applications)
endif()
