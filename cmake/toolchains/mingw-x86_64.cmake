# 64-bit Windows (64-bit Outlook 2010).
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(SEALWING_MINGW_TRIPLE x86_64-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
