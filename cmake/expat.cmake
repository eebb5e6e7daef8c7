# expat, the streaming XML parser of the workbook import, from Debian 12's source package (with
# Debian's security patches): fetched once into the build tree with apt-get source under a private
# apt configuration (its own sources list, lists and cache folders, so the machine's own apt
# sources are never touched), its files checked against their SHA-256, never committed.
set(EXPAT_PACKAGE "expat=2.5.0-1+deb12u2")
set(EXPAT_FILES
    "expat_2.5.0-1+deb12u2.dsc=6fc87dbd01f49999ed368cfb37c08d35e41348dda2281d60642f3aa14cb77e32"
    "expat_2.5.0.orig.tar.gz=ab00ee05c7067fd10a35c5d2a4922ebba746ddd50ff83b79c828da17bbdf1757"
    "expat_2.5.0-1+deb12u2.debian.tar.xz=7e29f5db5067e55193540089ed0f3ec9676704cf79dcea81a9bfb9f49435ae53")
set(EXPAT_DIR "${CMAKE_BINARY_DIR}/third_party/expat")

if(NOT EXISTS "${EXPAT_DIR}/lib/xmlparse.c")
  set(work "${CMAKE_BINARY_DIR}/third_party/expat-fetch")
  file(REMOVE_RECURSE "${work}")
  file(MAKE_DIRECTORY "${work}/lists/partial" "${work}/cache/archives/partial" "${work}/source")
  file(WRITE "${work}/sources.list"
       "deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main\n")
  set(apt_options -o "Dir::Etc::SourceList=${work}/sources.list" -o "Dir::Etc::SourceParts=/dev/null"
                  -o "Dir::State::Lists=${work}/lists" -o "Dir::Cache=${work}/cache" -o "APT::Sandbox::User=root")
  message(STATUS "Fetching ${EXPAT_PACKAGE} with apt-get source")
  execute_process(COMMAND apt-get ${apt_options} update -qq RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "apt-get update for the expat sources failed (${rc})")
  endif()
  execute_process(COMMAND apt-get ${apt_options} source --download-only -qq "${EXPAT_PACKAGE}"
                  WORKING_DIRECTORY "${work}/source" RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "apt-get source ${EXPAT_PACKAGE} failed (${rc})")
  endif()
  foreach(entry IN LISTS EXPAT_FILES)
    string(REPLACE "=" ";" parts "${entry}")
    list(GET parts 0 name)
    list(GET parts 1 expected)
    file(SHA256 "${work}/source/${name}" actual)
    if(NOT actual STREQUAL expected)
      message(FATAL_ERROR "${name} has SHA-256 ${actual}, expected ${expected}")
    endif()
  endforeach()
  # Unpacks the checked files and applies Debian's patches.
  execute_process(COMMAND dpkg-source --no-check -x "expat_2.5.0-1+deb12u2.dsc" unpacked
                  WORKING_DIRECTORY "${work}/source" RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "dpkg-source could not unpack the expat sources (${rc})")
  endif()
  file(MAKE_DIRECTORY "${EXPAT_DIR}/lib")
  file(GLOB headers "${work}/source/unpacked/expat/lib/*.h" "${work}/source/unpacked/expat/lib/*.c")
  if(NOT headers)
    file(GLOB headers "${work}/source/unpacked/lib/*.h" "${work}/source/unpacked/lib/*.c")
  endif()
  file(COPY ${headers} DESTINATION "${EXPAT_DIR}/lib")
  file(REMOVE_RECURSE "${work}")
endif()

# The build settings expat's own configuration would write.
file(WRITE "${EXPAT_DIR}/config/expat_config.h"
     "#define BYTEORDER 1234\n#define HAVE_MEMMOVE 1\n#define XML_CONTEXT_BYTES 1024\n#define XML_NS 1\n")
add_library(expat STATIC "${EXPAT_DIR}/lib/xmlparse.c" "${EXPAT_DIR}/lib/xmlrole.c" "${EXPAT_DIR}/lib/xmltok.c")
target_include_directories(expat SYSTEM PUBLIC "${EXPAT_DIR}/lib" PRIVATE "${EXPAT_DIR}/config")
# Texts arrive as UTF-16 wchar_t, as the rest of the program keeps them.
target_compile_definitions(expat PUBLIC XML_STATIC XML_UNICODE XML_UNICODE_WCHAR_T
                           PRIVATE HAVE_EXPAT_CONFIG_H _CRT_RAND_S)
target_compile_options(expat PRIVATE -O2 -w)
