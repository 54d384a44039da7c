# CMake toolchain for 64-bit Windows with Debian's MinGW-w64 cross compilers
# (g++-mingw-w64-x86-64-posix). The posix flavour is the one with std::thread,
# std::mutex and the C++11 thread model Qt requires.
#
# scripts/windows passes it to Qt's configure, to the libraries it cross-builds
# and to the program's own CMake run:
#   cmake -DCMAKE_TOOLCHAIN_FILE=packaging/windows/mingw-w64-x86_64.cmake ...
# Extra search roots (the cross-built Qt, libcsv) are added with
#   -DCMAKE_FIND_ROOT_PATH="prefix1;prefix2".

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(BELVAMG_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${BELVAMG_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${BELVAMG_MINGW_TRIPLE}-g++-posix)
# CMake derives binutils from the compiler's name, which the "-posix" suffix
# defeats: name them, or the host's ELF ar and ranlib would be picked.
find_program(CMAKE_AR ${BELVAMG_MINGW_TRIPLE}-ar REQUIRED)
find_program(CMAKE_RANLIB ${BELVAMG_MINGW_TRIPLE}-ranlib REQUIRED)
find_program(CMAKE_NM ${BELVAMG_MINGW_TRIPLE}-nm)
find_program(CMAKE_OBJCOPY ${BELVAMG_MINGW_TRIPLE}-objcopy)
find_program(CMAKE_OBJDUMP ${BELVAMG_MINGW_TRIPLE}-objdump)
find_program(CMAKE_STRIP ${BELVAMG_MINGW_TRIPLE}-strip)
find_program(CMAKE_RC_COMPILER ${BELVAMG_MINGW_TRIPLE}-windres REQUIRED)

# Headers, libraries and CMake packages come from the MinGW sysroot and the
# given roots only; programs (moc, rcc, uic...) from the host.
list(APPEND CMAKE_FIND_ROOT_PATH /usr/${BELVAMG_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
