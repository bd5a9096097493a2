# Cross build of the Windows programs we ship: 32-bit mingw-w64, tests under Wine.
set(CMAKE_SYSTEM_PROCESSOR i686)
set(MORVANE_MINGW_TRIPLET i686-w64-mingw32)
set(MORVANE_WINE_NAME wine)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
