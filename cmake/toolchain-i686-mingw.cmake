# Cross-compiles for 32-bit Windows with the posix-thread-model MinGW-w64 compilers
# (the win32-model g++ has no std::mutex, which GoogleTest needs) and runs the results under Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake")
