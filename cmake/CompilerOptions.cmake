# Warnings are errors in every configuration.
add_library(sealwing_options INTERFACE)
target_compile_options(sealwing_options INTERFACE
  -Wall -Wextra -Wpedantic -Werror
  -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wformat=2 -Wimplicit-fallthrough)
target_include_directories(sealwing_options INTERFACE ${PROJECT_SOURCE_DIR})

if(WIN32)
  # The DLL must run on the Windows that Outlook 2003 to 2010 run on, and import only system DLLs.
  target_compile_definitions(sealwing_options INTERFACE UNICODE _UNICODE WIN32_LEAN_AND_MEAN NOMINMAX
                                                        _WIN32_WINNT=0x0501)
  target_link_options(sealwing_options INTERFACE -static -static-libgcc -static-libstdc++)
endif()

if(SEALWING_FUZZ)
  # Coverage for libFuzzer in everything the fuzz targets reach; the targets themselves link the fuzzer.
  target_compile_options(sealwing_options INTERFACE -fsanitize=fuzzer-no-link)
endif()

set(SEALWING_SANITIZE "" CACHE STRING "Sanitizers to build with, for example address,undefined")
if(SEALWING_SANITIZE)
  target_compile_options(sealwing_options INTERFACE -fsanitize=${SEALWING_SANITIZE} -fno-omit-frame-pointer
                                                    -fno-sanitize-recover=all)
  target_link_options(sealwing_options INTERFACE -fsanitize=${SEALWING_SANITIZE})
endif()
