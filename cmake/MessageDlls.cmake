# Message DLLs built with the MinGW binutils (windmc, windres, ld): real PE
# files with RT_MESSAGETABLE resources and, where a resource script adds it,
# an event manifest (WEVT_TEMPLATE) written by wevt_manifest_tool. Used by
# the test fixtures and the demonstration machine. EC_MESSAGE_DLLS is false
# when the tools are missing; nothing is built then.
find_program(EC_WINDMC x86_64-w64-mingw32-windmc)
find_program(EC_WINDRES x86_64-w64-mingw32-windres)
find_program(EC_MINGW_LD x86_64-w64-mingw32-ld)
if(EC_WINDMC AND EC_WINDRES AND EC_MINGW_LD)
  set(EC_MESSAGE_DLLS TRUE)
  add_executable(wevt_manifest_tool ${CMAKE_SOURCE_DIR}/scripts/wevt_manifest_tool.cpp)
  target_link_libraries(wevt_manifest_tool PRIVATE ecplatform)
  ec_warnings(wevt_manifest_tool)
else()
  set(EC_MESSAGE_DLLS FALSE)
  message(STATUS "MinGW binutils not found: message DLLs are not built")
endif()

# Builds ${CMAKE_CURRENT_BINARY_DIR}/<name>.dll from <name>.mc of the current
# source folder and appends it to the list variable `out`. mode: -U (UTF-16
# entries) or -A (ANSI). An optional further argument names a resource script
# of the source folder to use instead of the one windmc writes; arguments
# after it are extra dependencies. The work folder is
# ${CMAKE_CURRENT_BINARY_DIR}/<name>.
function(ec_message_dll out name mode)
  set(rc ${name}.rc)
  set(extra ${ARGN})
  if(extra)
    list(POP_FRONT extra script)
    set(rc ${CMAKE_CURRENT_SOURCE_DIR}/${script})
  endif()
  set(work ${CMAKE_CURRENT_BINARY_DIR}/${name})
  set(dll ${CMAKE_CURRENT_BINARY_DIR}/${name}.dll)
  file(MAKE_DIRECTORY ${work})
  add_custom_command(OUTPUT ${dll}
    COMMAND ${EC_WINDMC} ${mode} -r ${work} -h ${work} ${CMAKE_CURRENT_SOURCE_DIR}/${name}.mc
    COMMAND ${EC_WINDRES} --include-dir=${work} ${rc} -o ${name}.o
    COMMAND ${EC_MINGW_LD} --dll -e 0 -o ${dll} ${name}.o
    WORKING_DIRECTORY ${work}
    DEPENDS ${CMAKE_CURRENT_SOURCE_DIR}/${name}.mc ${ARGN}
    COMMENT "Message DLL ${name}.dll")
  set(${out} ${${out}} ${dll} PARENT_SCOPE)
endfunction()

# The event manifest of one provider into `output` (see
# scripts/wevt_manifest_tool.cpp for the items).
function(ec_event_manifest output guid publisherMessage)
  add_custom_command(OUTPUT ${output}
    COMMAND wevt_manifest_tool ${output} ${guid} ${publisherMessage} ${ARGN}
    DEPENDS wevt_manifest_tool
    COMMENT "Event manifest ${output}")
endfunction()
