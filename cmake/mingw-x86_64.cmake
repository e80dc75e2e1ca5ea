# Cross build of the 64-bit Windows program with MinGW-w64. Debian's wine wrapper would pick the
# 32-bit loader whenever it is installed, so tests run through the rig's 64-bit wrapper.
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(VORBEL_MINGW_TRIPLET x86_64-w64-mingw32)
set(VORBEL_WINE ${CMAKE_CURRENT_LIST_DIR}/../tests/rig/wine64/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
