# What the MinGW-w64 toolchain files share: the posix-thread-model compilers for
# CMAKE_SYSTEM_PROCESSOR (set by the file that includes this one), and programs run under Wine.
set(CMAKE_SYSTEM_NAME Windows)

set(CMAKE_C_COMPILER ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER ${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${CMAKE_SYSTEM_PROCESSOR}-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)

set(CMAKE_CROSSCOMPILING_EMULATOR wine)

# windres writes no dependency file of its own; ask its preprocessor for one so that a resource
# object is rebuilt when a header it includes changes.
set(CMAKE_DEPFILE_FLAGS_RC "")
set(CMAKE_RC_COMPILE_OBJECT
    "<CMAKE_RC_COMPILER> -O coff <DEFINES> <INCLUDES> <FLAGS> --preprocessor-arg=-MD --preprocessor-arg=-MF --preprocessor-arg=<DEP_FILE> <SOURCE> <OBJECT>")
