# The suite's versions, in one place. Each program has its own version: its
# FILEVERSION, shown as the file version on its properties page. The release
# (the portable zip and the installer, whose file names carry it) has the
# suite's version, which is also every program's PRODUCTVERSION. A version is
# MAJOR.MINOR with a two-digit minor, written as users see it ("1.08" is
# FILEVERSION 1,8,0,0). Raise a program's version when the program changes,
# the suite's with every release.
set(SUITE_VERSION 1.00)
set(VANTRO_VERSION 1.08)
set(SORBEL_VERSION 0.82)
set(TARVIK_VERSION 1.00)

# Shown on every program's properties page (and by the installer).
set(SUITE_COMPANY_NAME "RAVO ソフトウェア")
set(SUITE_PRODUCT_NAME "ミルタ 時刻補正スイート")

# The same for the resource scripts and the code: suite_version.h in the build
# tree, with NAME_VERSION_TEXT ("1.08") and NAME_VERSION_NUMBERS (1,8,0,0).
set(SUITE_GENERATED_DIR ${CMAKE_BINARY_DIR}/generated)
set(SUITE_VERSION_DEFINES "")
foreach(name SUITE VANTRO SORBEL TARVIK)
  if(NOT ${name}_VERSION MATCHES "^([0-9]+)\\.([0-9][0-9])$")
    message(FATAL_ERROR "${name}_VERSION is ${${name}_VERSION}; expected MAJOR.MINOR, as 1.08")
  endif()
  math(EXPR minor "${CMAKE_MATCH_2}")
  string(APPEND SUITE_VERSION_DEFINES
    "#define ${name}_VERSION_TEXT \"${${name}_VERSION}\"\n"
    "#define ${name}_VERSION_NUMBERS ${CMAKE_MATCH_1},${minor},0,0\n")
endforeach()
configure_file(${CMAKE_CURRENT_LIST_DIR}/suite_version.h.in ${SUITE_GENERATED_DIR}/suite_version.h @ONLY)
