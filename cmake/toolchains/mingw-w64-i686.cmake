# 32-bit Windows executables with Debian's mingw-w64 compilers; tests run under 32-bit Wine.
set(CMAKE_SYSTEM_PROCESSOR x86)
set(VELTRA_MINGW_TRIPLE i686-w64-mingw32)
find_program(VELTRA_WINE_LOADER NAMES wine PATHS /usr/lib/wine NO_DEFAULT_PATH)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-w64-common.cmake)
