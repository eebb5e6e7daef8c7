# Cross-compiles for 32-bit Windows with Debian's clang against the MinGW-w64 headers and libraries
# of the posix-thread-model gcc (the same C++ runtime as the gcc build), and runs the results under
# Wine. Resources still go through windres. What the gcc build sets up too (windres, the search
# roots, Wine, the resource dependency files) comes from toolchain-mingw.cmake; the compilers
# named there are replaced here.
set(CMAKE_SYSTEM_PROCESSOR i686)
include("${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake")
set(triple i686-w64-mingw32)
set(gcc_dir /usr/lib/gcc/${triple}/12-posix)

set(CMAKE_C_COMPILER clang)
set(CMAKE_C_COMPILER_TARGET ${triple})
set(CMAKE_CXX_COMPILER clang++)
set(CMAKE_CXX_COMPILER_TARGET ${triple})
set(CMAKE_SYSROOT /usr/${triple})

# clang looks for libstdc++ where a native MinGW install keeps it; point it at gcc's own copy.
set(CMAKE_CXX_FLAGS_INIT
    "-nostdinc++ -isystem ${gcc_dir}/include/c++ -isystem ${gcc_dir}/include/c++/${triple} -isystem ${gcc_dir}/include/c++/backward")
# lld, since GNU ld reports every C++ type name that clang and gcc (libstdc++) pad differently as
# a duplicate section of a different size; the copies are equal and either one will do.
# The compile flags reach the link too, where clang has no use for -nostdinc++; and a C library
# links no C++ runtime, so clang calls the project's -static-libstdc++ unused there.
set(link_flags "-fuse-ld=lld -L${gcc_dir} -Wno-unused-command-line-argument")
set(CMAKE_EXE_LINKER_FLAGS_INIT "${link_flags}")
set(CMAKE_SHARED_LINKER_FLAGS_INIT "${link_flags}")
set(CMAKE_MODULE_LINKER_FLAGS_INIT "${link_flags}")
# The Windows libraries CMake links by default with gcc (clang's own list is shorter). libstdc++
# of the posix-thread model calls into winpthreads, and libgcc_eh back into libstdc++: one group
# lets the linker resolve them in any order.
set(windows_libraries "-lkernel32 -luser32 -lgdi32 -lwinspool -lshell32 -lole32 -loleaut32 -luuid -lcomdlg32 -ladvapi32")
# Cached, so that the platform's own default does not replace them.
set(CMAKE_C_STANDARD_LIBRARIES "${windows_libraries}" CACHE STRING "")
set(CMAKE_CXX_STANDARD_LIBRARIES
    "${windows_libraries} -Wl,--start-group -lstdc++ -lgcc -lgcc_eh -lpthread -Wl,--end-group" CACHE STRING "")
