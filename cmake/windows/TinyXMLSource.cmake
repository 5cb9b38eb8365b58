# TinyXML for the Windows build, compiled from Debian's source package with
# Debian's patches applied (they make the STL interface the only one and fix
# the entity encoding and two parser faults).
#
# The source is taken from EC_TINYXML_SOURCE_DIR when given (a folder that
# holds tinyxml.h and tinyxml.cpp); otherwise `apt-get source tinyxml` unpacks
# it once into the build folder, which needs a deb-src entry for the suite.
# A missing source stops the configuration.
set(EC_TINYXML_SOURCE_DIR "" CACHE PATH "Unpacked TinyXML source (Debian's source package, patches applied)")

function(ec_fetch_tinyxml_source out)
  set(fetch_dir ${CMAKE_BINARY_DIR}/tinyxml-source)
  file(GLOB unpacked LIST_DIRECTORIES true ${fetch_dir}/tinyxml-*/tinyxml.h)
  if(NOT unpacked)
    find_program(EC_APT_GET apt-get)
    find_program(EC_DPKG_SOURCE dpkg-source)
    if(NOT EC_APT_GET OR NOT EC_DPKG_SOURCE)
      message(FATAL_ERROR "Windows build: TinyXML's source is needed. Set EC_TINYXML_SOURCE_DIR to an unpacked "
                          "source, or install apt and dpkg-dev so that `apt-get source tinyxml` can fetch it.")
    endif()
    file(MAKE_DIRECTORY ${fetch_dir})
    message(STATUS "Windows build: fetching TinyXML with `apt-get source tinyxml`")
    execute_process(COMMAND ${EC_APT_GET} source -qq tinyxml
                    WORKING_DIRECTORY ${fetch_dir}
                    RESULT_VARIABLE status OUTPUT_VARIABLE log ERROR_VARIABLE log)
    file(GLOB unpacked LIST_DIRECTORIES true ${fetch_dir}/tinyxml-*/tinyxml.h)
    if(NOT status EQUAL 0 OR NOT unpacked)
      message(FATAL_ERROR "Windows build: `apt-get source tinyxml` failed (a deb-src line for the Debian suite "
                          "in /etc/apt/sources.list.d is needed, then `apt-get update`):\n${log}")
    endif()
  endif()
  list(GET unpacked 0 header)
  get_filename_component(dir ${header} DIRECTORY)
  set(${out} ${dir} PARENT_SCOPE)
endfunction()

if(EC_TINYXML_SOURCE_DIR)
  set(tinyxml_dir ${EC_TINYXML_SOURCE_DIR})
else()
  ec_fetch_tinyxml_source(tinyxml_dir)
endif()
foreach(f tinyxml.h tinyxml.cpp tinystr.cpp tinyxmlerror.cpp tinyxmlparser.cpp)
  if(NOT EXISTS ${tinyxml_dir}/${f})
    message(FATAL_ERROR "Windows build: ${tinyxml_dir} is not a TinyXML source folder (${f} missing)")
  endif()
endforeach()
# Debian's patch that makes the STL interface the only one; without it the
# library and the component would disagree on TiXmlString.
file(STRINGS ${tinyxml_dir}/tinyxml.h stl_forced REGEX "define[ \t]+TIXML_USE_STL")
if(NOT stl_forced)
  message(FATAL_ERROR "Windows build: ${tinyxml_dir} lacks Debian's patches (tinyxml.h does not define "
                      "TIXML_USE_STL); unpack it with `apt-get source tinyxml` or `dpkg-source -x`")
endif()

add_library(ectinyxml STATIC
  ${tinyxml_dir}/tinyxml.cpp ${tinyxml_dir}/tinystr.cpp
  ${tinyxml_dir}/tinyxmlerror.cpp ${tinyxml_dir}/tinyxmlparser.cpp)
target_include_directories(ectinyxml SYSTEM PUBLIC ${tinyxml_dir})
target_compile_options(ectinyxml PRIVATE -w)
add_library(TinyXML::TinyXML ALIAS ectinyxml)
set(TinyXML_FOUND TRUE)
