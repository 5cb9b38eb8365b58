# The COM interfaces and the dispatch description of the Linux build, derived
# at build time from the one IDL file (the Windows build compiles the same
# file with the IDL compiler). The generated header is included as
# "com/EventCollector_h.h"; the description is the library ectypelib, which
# the layers that hold COM classes (filter/, task/) link.
find_package(Python3 REQUIRED COMPONENTS Interpreter)

set(EC_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(EC_IDL ${CMAKE_SOURCE_DIR}/com/EventCollector.idl)
set(EC_IDL_OUTPUTS
    ${EC_GENERATED_DIR}/com/EventCollector_h.h
    ${EC_GENERATED_DIR}/com/EventCollector_dispatch.cpp)

add_custom_command(
  OUTPUT ${EC_IDL_OUTPUTS}
  COMMAND Python3::Interpreter ${CMAKE_SOURCE_DIR}/com/idlgen.py ${EC_IDL} ${EC_GENERATED_DIR}/com
  DEPENDS ${EC_IDL} ${CMAKE_SOURCE_DIR}/com/idlgen.py
  COMMENT "Deriving the COM interfaces and dispatch description from EventCollector.idl"
  VERBATIM)
add_custom_target(ec_typelib DEPENDS ${EC_IDL_OUTPUTS})

add_library(ectypelib STATIC ${EC_GENERATED_DIR}/com/EventCollector_dispatch.cpp)
target_include_directories(ectypelib PUBLIC ${EC_GENERATED_DIR})
target_link_libraries(ectypelib PUBLIC ecbase)
ec_warnings(ectypelib)
add_dependencies(ectypelib ec_typelib)
