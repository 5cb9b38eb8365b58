# Installation: the component library, the command line and the headers a
# client of the component needs.
#
#   <prefix>/lib/eventcollector/   libEventCollector.so, libecplatform.so and
#                                  the eventcollector program, which loads the
#                                  component from its own folder
#   <prefix>/bin/eventcollector    a link to the program
#   <prefix>/include/eventcollector/
#       com/EventCollector_h.h     the interfaces, IIDs and CLSIDs
#       com/exports.h              the library's exported functions
#       platform/api/              the Windows types and calls they use
include(GNUInstallDirs)

set(EC_INSTALL_DIR ${CMAKE_INSTALL_LIBDIR}/eventcollector)
set(EC_INSTALL_INCLUDE_DIR ${CMAKE_INSTALL_INCLUDEDIR}/eventcollector)

set(ec_installed ecplatform)
foreach(target EventCollector eventcollector)
  if(TARGET ${target})
    list(APPEND ec_installed ${target})
  endif()
endforeach()
# Each finds the others beside itself.
set_target_properties(${ec_installed} PROPERTIES INSTALL_RPATH "$ORIGIN")
install(TARGETS ${ec_installed}
        LIBRARY DESTINATION ${EC_INSTALL_DIR}
        RUNTIME DESTINATION ${EC_INSTALL_DIR})

if(TARGET eventcollector)
  install(CODE "
    set(bin \"\$ENV{DESTDIR}\${CMAKE_INSTALL_PREFIX}/${CMAKE_INSTALL_BINDIR}\")
    file(MAKE_DIRECTORY \"\${bin}\")
    file(CREATE_LINK \"../${EC_INSTALL_DIR}/eventcollector\" \"\${bin}/eventcollector\" SYMBOLIC)")
endif()

install(FILES ${EC_GENERATED_DIR}/com/EventCollector_h.h ${CMAKE_SOURCE_DIR}/com/exports.h
        DESTINATION ${EC_INSTALL_INCLUDE_DIR}/com)
install(DIRECTORY ${CMAKE_SOURCE_DIR}/platform/api/
        DESTINATION ${EC_INSTALL_INCLUDE_DIR}/platform/api
        FILES_MATCHING PATTERN "*.h")
