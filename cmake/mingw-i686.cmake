# Cross build of the 32-bit Windows program (the release build) with MinGW-w64.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(VORBEL_MINGW_TRIPLET i686-w64-mingw32)
set(VORBEL_WINE /usr/bin/wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
