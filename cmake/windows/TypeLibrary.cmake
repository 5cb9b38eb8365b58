# The Windows build's COM sources from the one IDL file: the IDL compiler
# writes the type library that the DLL carries as resource TYPELIB 1, and
# IDispatch is the system's over it. The interface declarations and the
# class table that registration walks come from com/idlgen.py, as on Linux
# (cmake/ComTypeLibrary.cmake), so that both builds compile the same
# declarations.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

find_program(EC_WIDL NAMES ${EC_MINGW_PREFIX}-widl widl)
if(NOT EC_WIDL)
  message(FATAL_ERROR "Windows build: the IDL compiler ${EC_MINGW_PREFIX}-widl is missing (apt-get install mingw-w64-tools)")
endif()
find_path(EC_WIDL_INCLUDE oaidl.idl PATHS /usr/include/wine/wine/windows /usr/include/wine/windows NO_CMAKE_FIND_ROOT_PATH)
if(NOT EC_WIDL_INCLUDE)
  message(FATAL_ERROR "Windows build: the standard IDL files (oaidl.idl) are missing (apt-get install libwine-dev)")
endif()
find_path(EC_STDOLE_DIR stdole2.tlb PATHS /usr/lib/x86_64-linux-gnu/wine/x86_64-windows /usr/lib/wine/x86_64-windows
          NO_CMAKE_FIND_ROOT_PATH)
if(NOT EC_STDOLE_DIR)
  message(FATAL_ERROR "Windows build: stdole2.tlb, which the type library imports, is missing (apt-get install wine64)")
endif()

set(EC_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(EC_IDL ${CMAKE_SOURCE_DIR}/com/EventCollector.idl)
set(EC_TLB ${EC_GENERATED_DIR}/com/EventCollector.tlb)

add_custom_command(
  OUTPUT ${EC_TLB}
  COMMAND ${CMAKE_COMMAND} -E make_directory ${EC_GENERATED_DIR}/com
  COMMAND ${EC_WIDL} --win64 -I${EC_WIDL_INCLUDE} -L${EC_STDOLE_DIR} -t -T ${EC_TLB} ${EC_IDL}
  DEPENDS ${EC_IDL}
  COMMENT "Compiling EventCollector.idl into the type library"
  VERBATIM)
add_custom_target(ec_tlb DEPENDS ${EC_TLB})

include(cmake/ComTypeLibrary.cmake)
