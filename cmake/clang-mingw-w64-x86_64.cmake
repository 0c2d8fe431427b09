# Cross-compiling for 64-bit Windows with Debian's clang-16 and lld-16: a second compiler over
# the same MinGW-w64 headers and GCC 12's libstdc++, so the program is not written for one
# compiler's leniencies. Debian's clang does not find the libstdc++ of its MinGW-w64 GCC (the
# folder is named 12-posix), so it is named here. ld.lld without a version is lld 14, which
# refuses GCC 12's objects. scripts/build builds the program alone with it: the test programs
# that compare std::type_info do not link, as lld finds libstdc++'s out-of-line operator== beside
# the inline one clang emits.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER clang-16)
set(CMAKE_CXX_COMPILER clang++-16)
set(CMAKE_C_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_CXX_COMPILER_TARGET x86_64-w64-mingw32)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)

set(TARVO_MINGW_GCC_DIR /usr/lib/gcc/x86_64-w64-mingw32/12-posix
    CACHE PATH "The MinGW-w64 GCC whose libstdc++ and libgcc clang uses")
set(CMAKE_CXX_STANDARD_INCLUDE_DIRECTORIES ${TARVO_MINGW_GCC_DIR}/include/c++
    ${TARVO_MINGW_GCC_DIR}/include/c++/x86_64-w64-mingw32)
# libstdc++ needs winpthread: -pthread puts it after libstdc++ and libgcc on the link line
# (statically, as the build links everything with -static).
set(CMAKE_EXE_LINKER_FLAGS_INIT "--ld-path=/usr/bin/ld.lld-16 -L${TARVO_MINGW_GCC_DIR} -pthread")

set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_CROSSCOMPILING_EMULATOR wine)
