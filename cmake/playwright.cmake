# playwright-core drives Debian's Chromium in the exam page tests. It is installed from the npm
# registry into the build tree (playwright-core downloads no browser of its own); 1.61 is the
# last line that runs on Debian 12's Node.js 18.
set(PLAYWRIGHT_VERSION "1.61.1")
set(NODE_TOOLS_DIR "${CMAKE_BINARY_DIR}/node")
if(NOT EXISTS "${NODE_TOOLS_DIR}/node_modules/playwright-core/package.json")
  file(MAKE_DIRECTORY "${NODE_TOOLS_DIR}")
  message(STATUS "Installing playwright-core ${PLAYWRIGHT_VERSION}")
  execute_process(COMMAND npm install --prefix "${NODE_TOOLS_DIR}" --no-package-lock --no-save
                          --no-audit --no-fund "playwright-core@${PLAYWRIGHT_VERSION}"
                  RESULT_VARIABLE rc OUTPUT_QUIET)
  if(NOT rc EQUAL 0)
    message(FATAL_ERROR "npm install playwright-core@${PLAYWRIGHT_VERSION} failed (${rc})")
  endif()
endif()
