# 32-bit Windows: the shipped build.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(QUILO_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/toolchain-mingw.cmake)
