# 64-bit Windows executables with Debian's mingw-w64 compilers; tests run under wine64.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VELTRA_MINGW_TRIPLE x86_64-w64-mingw32)
find_program(VELTRA_WINE_LOADER NAMES wine64 PATHS /usr/lib/wine NO_CMAKE_FIND_ROOT_PATH)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
