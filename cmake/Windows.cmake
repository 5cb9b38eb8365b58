# The Windows build: the component's code against the real Windows API. The
# host (platform/host, platform/formats) is not built; platform/api maps to
# the system headers and platform/mingw's char16_t adapters. The one portable
# platform source, the UTF-8/UTF-16 conversion, joins ecbase.
#
# Layers whose third-party libraries are missing for MinGW (zlib from
# libz-mingw-w64-dev, TinyXML) are left out with a message.

add_compile_definitions(UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX _WIN32_WINNT=0x0601 WINVER=0x0601)
find_package(Threads REQUIRED)
find_package(ZLIB QUIET)
find_package(TinyXML QUIET)

set(EC_WINDOWS_LIBS advapi32 ole32 oleaut32 uuid rpcrt4 netapi32 ws2_32 iphlpapi secur32 Threads::Threads)

# One static library per folder, as on Linux; a layer is built only when it
# has sources and its requirements are met.
function(ec_windows_layer name dir)
  cmake_parse_arguments(L "" "" "REQUIRES;LINK;EXTRA" ${ARGN})
  ec_sources(src ${dir})
  list(APPEND src ${L_EXTRA})
  foreach(req IN LISTS L_REQUIRES)
    if(NOT ${req})
      message(STATUS "Windows build: ${dir}/ left out (${req} not found)")
      return()
    endif()
  endforeach()
  foreach(dep IN LISTS L_LINK)
    if(NOT TARGET ${dep})
      message(STATUS "Windows build: ${dir}/ left out (${dep} not built)")
      return()
    endif()
  endforeach()
  if(NOT TinyXML_FOUND)
    list(FILTER src EXCLUDE REGEX "/base/xml\\.cpp$")
  endif()
  if(NOT src)
    return()
  endif()
  add_library(${name} STATIC ${src})
  target_include_directories(${name} PUBLIC ${CMAKE_SOURCE_DIR})
  target_link_libraries(${name} PUBLIC ${L_LINK} ${EC_WINDOWS_LIBS})
  ec_warnings(${name})
endfunction()

ec_windows_layer(ecbase base EXTRA ${CMAKE_SOURCE_DIR}/platform/host/kernel/utf.cpp)
if(TARGET ecbase AND TinyXML_FOUND)
  target_link_libraries(ecbase PUBLIC TinyXML::TinyXML)
endif()
ec_windows_layer(ecrender render REQUIRES ZLIB_FOUND LINK ecbase)
if(TARGET ecrender)
  target_link_libraries(ecrender PUBLIC ZLIB::ZLIB)
endif()
ec_windows_layer(ecfilter filter REQUIRES TinyXML_FOUND LINK ecbase)
ec_windows_layer(eccollect collect LINK ecfilter ecrender)
ec_windows_layer(ectask task REQUIRES TinyXML_FOUND LINK eccollect)

# A translation unit per API header proves that the surface compiles against
# the real Windows headers even before every layer does.
file(GLOB EC_API_HEADERS CONFIGURE_DEPENDS ${CMAKE_SOURCE_DIR}/platform/api/*.h)
set(EC_API_CHECK ${CMAKE_BINARY_DIR}/api_headers_check.cpp)
set(api_includes "")
foreach(h IN LISTS EC_API_HEADERS)
  file(RELATIVE_PATH rel ${CMAKE_SOURCE_DIR} ${h})
  string(APPEND api_includes "#include \"${rel}\"\n")
endforeach()
file(CONFIGURE OUTPUT ${EC_API_CHECK} CONTENT "${api_includes}")
add_library(ec_api_check OBJECT ${EC_API_CHECK})
target_include_directories(ec_api_check PRIVATE ${CMAKE_SOURCE_DIR})
ec_warnings(ec_api_check)

# Link the layers that this build makes into one program, so that every platform call
# resolves against the real system libraries.
if(TARGET ecbase)
  add_executable(ec_link_check ${CMAKE_SOURCE_DIR}/platform/mingw/link_check.cpp)
  set(link_layers ecbase)
  foreach(layer ecrender ecfilter eccollect ectask)
    if(TARGET ${layer})
      list(PREPEND link_layers ${layer})
    endif()
  endforeach()
  target_link_libraries(ec_link_check PRIVATE ${link_layers})
  ec_warnings(ec_link_check)
endif()
