# Shared part of the mingw-w64 toolchains. The including file sets VELTRA_MINGW_TRIPLE and
# VELTRA_WINE_LOADER before including this one.
set(CMAKE_SYSTEM_NAME Windows)

# The "-posix" compilers: the default ones come without std::thread and std::mutex.
set(CMAKE_C_COMPILER ${VELTRA_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${VELTRA_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${VELTRA_MINGW_TRIPLE}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${VELTRA_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# One executable with nothing beside it: the C and C++ runtimes and winpthread linked in.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Programs built here run under Wine, each build folder with its own Wine prefix.
if(NOT CMAKE_IN_TRY_COMPILE)
  set(CMAKE_CROSSCOMPILING_EMULATOR
      ${CMAKE_CURRENT_LIST_DIR}/wine-run ${VELTRA_WINE_LOADER} ${CMAKE_BINARY_DIR}/wineprefix)
endif()

# Header-only libraries of the build machine (CLI11, nlohmann-json) are usable as they are,
# but their package files point at /usr/include, which must not be searched in a Windows
# build (it holds the C library headers of Linux). They are staged into a prefix of their
# own, holding only those headers.
if(NOT CMAKE_IN_TRY_COMPILE)
  set(_veltra_stage ${CMAKE_BINARY_DIR}/header-only)
  foreach(_veltra_package IN ITEMS CLI11 nlohmann_json)
    if(EXISTS /usr/share/cmake/${_veltra_package})
      file(COPY /usr/share/cmake/${_veltra_package} DESTINATION ${_veltra_stage}/share/cmake)
    endif()
  endforeach()
  file(MAKE_DIRECTORY ${_veltra_stage}/include)
  foreach(_veltra_headers IN ITEMS CLI nlohmann)
    if(EXISTS /usr/include/${_veltra_headers} AND NOT EXISTS ${_veltra_stage}/include/${_veltra_headers})
      file(CREATE_LINK /usr/include/${_veltra_headers} ${_veltra_stage}/include/${_veltra_headers}
           SYMBOLIC)
    endif()
  endforeach()
  set(CLI11_DIR ${_veltra_stage}/share/cmake/CLI11 CACHE PATH "CLI11 package folder")
  set(nlohmann_json_DIR ${_veltra_stage}/share/cmake/nlohmann_json
      CACHE PATH "nlohmann-json package folder")
endif()

# Windows gets its own dialog (src/win32); the Qt one and the benchmarks are Linux only.
set(VELTRA_BUILD_QT OFF CACHE BOOL "Build the Qt dialog")
set(VELTRA_BUILD_BENCHMARKS OFF CACHE BOOL "Build the benchmarks")
