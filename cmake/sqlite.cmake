# SQLite comes from the official amalgamation tarball that the npm package sqlite3 carries.
# It is fetched with `npm pack` (never `npm install`, whose install step downloads binaries),
# verified by its SHA-256 and extracted into the build tree; nothing of it is committed.
set(SQLITE_NPM_PACKAGE "sqlite3@6.0.1")
set(SQLITE_TARBALL "sqlite-autoconf-3520000")
set(SQLITE_SHA256 "f6b50b0c103392af32a8be15b2b9d25959de9a00a70c3979128aafeaa5338b3f")
set(SQLITE_DIR "${CMAKE_BINARY_DIR}/third_party/sqlite")

if(NOT EXISTS "${SQLITE_DIR}/sqlite3.c" OR NOT EXISTS "${SQLITE_DIR}/sqlite3.h")
  set(work "${CMAKE_BINARY_DIR}/third_party/sqlite-fetch")
  file(REMOVE_RECURSE "${work}")
  file(MAKE_DIRECTORY "${work}")
  message(STATUS "Fetching ${SQLITE_TARBALL} from ${SQLITE_NPM_PACKAGE}")
  execute_process(COMMAND npm pack --silent "${SQLITE_NPM_PACKAGE}"
                  WORKING_DIRECTORY "${work}" RESULT_VARIABLE rc OUTPUT_VARIABLE packed
                  OUTPUT_STRIP_TRAILING_WHITESPACE)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "npm pack ${SQLITE_NPM_PACKAGE} failed (${rc})")
  endif()
  file(ARCHIVE_EXTRACT INPUT "${work}/${packed}" DESTINATION "${work}"
       PATTERNS "package/deps/${SQLITE_TARBALL}.tar.gz")
  set(tarball "${work}/package/deps/${SQLITE_TARBALL}.tar.gz")
  file(SHA256 "${tarball}" actual)
  if(NOT actual STREQUAL SQLITE_SHA256)
    message(FATAL_ERROR "${SQLITE_TARBALL}.tar.gz has SHA-256 ${actual}, expected ${SQLITE_SHA256}")
  endif()
  file(ARCHIVE_EXTRACT INPUT "${tarball}" DESTINATION "${work}"
       PATTERNS "${SQLITE_TARBALL}/sqlite3.c" "${SQLITE_TARBALL}/sqlite3.h")
  file(MAKE_DIRECTORY "${SQLITE_DIR}")
  file(COPY "${work}/${SQLITE_TARBALL}/sqlite3.h" DESTINATION "${SQLITE_DIR}")
  # sqlite3.c last: its presence marks a finished fetch.
  file(COPY "${work}/${SQLITE_TARBALL}/sqlite3.c" DESTINATION "${SQLITE_DIR}")
  file(REMOVE_RECURSE "${work}")
endif()

add_library(sqlite3 STATIC "${SQLITE_DIR}/sqlite3.c")
target_include_directories(sqlite3 SYSTEM PUBLIC "${SQLITE_DIR}")
# Sorts (the exports order every pair) stay in memory: temporary files are slow under Wine.
target_compile_definitions(sqlite3 PRIVATE SQLITE_THREADSAFE=1 SQLITE_DQS=0 SQLITE_OMIT_LOAD_EXTENSION
                           SQLITE_TEMP_STORE=2 SQLITE_DEFAULT_CACHE_SIZE=-32768)
target_compile_options(sqlite3 PRIVATE -O2 -w)
