# Cross-compiles the shipped 32-bit Windows programs with MinGW-w64 (i686).
set(SUITE_MINGW_ARCH i686)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
