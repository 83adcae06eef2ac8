# Warnings are errors in every configuration.
add_library(sealwing_options INTERFACE)
target_compile_options(sealwing_options INTERFACE
  -Wall -Wextra -Wpedantic -Werror
  -Wnon-virtual-dtor -Woverloaded-virtual -Wcast-qual -Wformat=2 -Wimplicit-fallthrough)
target_include_directories(sealwing_options INTERFACE ${PROJECT_SOURCE_DIR})
# The version, from project() alone: the code, the user agent and the DLL's version resource read it from here.
configure_file(${PROJECT_SOURCE_DIR}/cmake/SealwingVersion.h.in ${PROJECT_BINARY_DIR}/generated/SealwingVersion.h @ONLY)
target_include_directories(sealwing_options INTERFACE ${PROJECT_BINARY_DIR}/generated)

# GCC 12 at -O2 and above reports false -Wrestrict, -Warray-bounds, -Wstringop-*, -Wmaybe-uninitialized and
# -Wfree-nonheap-object warnings inside libstdc++ (`"text" + std::string`, std::vector::insert, std::variant; GCC
# bugs 105329 and 107852). -Werror would make them fatal in the optimised benchmark build, which compiles the
# simulated Outlook and the local service too. The Debug builds, both sanitizer builds and clang keep every warning.
if(CMAKE_CXX_COMPILER_ID STREQUAL "GNU" AND CMAKE_CXX_COMPILER_VERSION VERSION_GREATER_EQUAL 12
   AND CMAKE_CXX_COMPILER_VERSION VERSION_LESS 13)
  target_compile_options(sealwing_options INTERFACE
    $<$<CONFIG:Release>:-Wno-restrict -Wno-array-bounds -Wno-stringop-overread -Wno-stringop-overflow
                        -Wno-maybe-uninitialized -Wno-free-nonheap-object>)
endif()

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
