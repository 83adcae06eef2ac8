# 32-bit Windows (Outlook 2003 and 2007 are 32-bit only; Outlook 2010 comes in both).
set(CMAKE_SYSTEM_PROCESSOR i686)
set(SEALWING_MINGW_TRIPLE i686-w64-mingw32)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-common.cmake)
