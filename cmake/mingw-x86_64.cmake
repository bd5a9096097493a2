# The same sources built for x86_64: the test suites run under 64-bit Wine where
# this machine cannot run 32-bit programs (the shipped programs stay 32-bit).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(MORVANE_MINGW_TRIPLET x86_64-w64-mingw32)
set(MORVANE_WINE_NAME wine64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
