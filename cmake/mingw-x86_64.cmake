# Cross-compiles 64-bit Windows programs with MinGW-w64 (x86_64): the test
# build on hosts that cannot execute 32-bit code (see tools/test-arch.sh).
set(SUITE_MINGW_ARCH x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
