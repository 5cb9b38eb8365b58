# The Windows build: the whole component against the real Windows API, as the
# DLL Calomar.Common.EventCollector.dll. platform/api maps onto the system
# headers through platform/mingw's char16_t adapters; the host
# (platform/host, platform/formats) is not built, except for the portable
# UTF-8/UTF-16 conversion, which joins ecbase.
#
# Needs: zlib for MinGW-w64 (libz-mingw-w64-dev, linked statically),
# TinyXML's source (cmake/windows/TinyXMLSource.cmake), the IDL compiler
# x86_64-w64-mingw32-widl with Wine's standard IDL files and stdole2.tlb
# (libwine-dev and wine64) and windres. Each one missing stops the
# configuration with a message. GoogleTest is compiled from /usr/src/googletest
# for the test programs (tests/windows).

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
find_package(Threads REQUIRED)

set(ZLIB_USE_STATIC_LIBS ON)
find_package(ZLIB)
if(NOT ZLIB_FOUND)
  message(FATAL_ERROR "Windows build: zlib for MinGW-w64 is missing (apt-get install libz-mingw-w64-dev)")
endif()
include(cmake/windows/TinyXMLSource.cmake)
include(cmake/windows/TypeLibrary.cmake)

set(EC_WINDOWS_LIBS advapi32 ole32 oleaut32 uuid rpcrt4 netapi32 ws2_32 iphlpapi dnsapi secur32 Threads::Threads)

# One static library per folder, as on Linux.
function(ec_windows_layer name dir)
  ec_sources(src ${dir} ${ARGN})
  add_library(${name} STATIC ${src})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  ec_warnings(${name})
endfunction()

ec_windows_layer(ecbase base)
target_sources(ecbase PRIVATE ${CMAKE_SOURCE_DIR}/platform/host/kernel/utf.cpp
                              ${CMAKE_SOURCE_DIR}/platform/mingw/type_info.cpp)
target_link_libraries(ecbase PUBLIC TinyXML::TinyXML ${EC_WINDOWS_LIBS})
ec_windows_layer(ecrender render)
target_link_libraries(ecrender PUBLIC ecbase ZLIB::ZLIB)
ec_windows_layer(ecfilter filter)
target_link_libraries(ecfilter PUBLIC ecbase ectypelib)
ec_windows_layer(eccollect collect)
target_link_libraries(eccollect PUBLIC ecfilter ecrender)
ec_windows_layer(ectask task)
target_link_libraries(ectask PUBLIC eccollect ectypelib)

# The component DLL: the exports by name with ordinals 1 to 5, the type
# library and the other resources, libgcc and libstdc++ inside.
ec_sources(COM_SOURCES com)
add_library(EventCollector SHARED ${COM_SOURCES}
            ${CMAKE_SOURCE_DIR}/com/windows/EventCollector.def
            ${CMAKE_SOURCE_DIR}/com/windows/EventCollector.rc)
set_target_properties(EventCollector PROPERTIES PREFIX "" OUTPUT_NAME "Calomar.Common.EventCollector")
target_link_libraries(EventCollector PRIVATE ectask)
target_include_directories(EventCollector PRIVATE ${EC_VERSION_DIR})
target_link_options(EventCollector PRIVATE -static)
ec_warnings(EventCollector)
# windres finds the type library in the build folder; the version resource
# carries the project's version (a header of its own: windres reads no
# #pragma once).
set(ec_rc ${CMAKE_SOURCE_DIR}/com/windows/EventCollector.rc)
set_property(SOURCE ${ec_rc} APPEND PROPERTY
             OBJECT_DEPENDS ${EC_TLB} ${CMAKE_SOURCE_DIR}/com/windows/EventCollector.manifest)
file(CONFIGURE OUTPUT ${EC_VERSION_DIR}/ec_version_rc.h CONTENT
"#define EC_VERSION_TEXT \"@PROJECT_VERSION@\"
#define EC_VERSION_MAJOR @PROJECT_VERSION_MAJOR@
#define EC_VERSION_MINOR @PROJECT_VERSION_MINOR@
#define EC_VERSION_PATCH @PROJECT_VERSION_PATCH@
#define EC_VERSION_TWEAK @PROJECT_VERSION_TWEAK@
" @ONLY)
target_include_directories(EventCollector PRIVATE ${EC_GENERATED_DIR}/com ${CMAKE_SOURCE_DIR}/com/windows)
add_dependencies(EventCollector ec_typelib ec_tlb)

if(EC_TESTS)
  enable_testing()
  add_subdirectory(tests/windows)
endif()
