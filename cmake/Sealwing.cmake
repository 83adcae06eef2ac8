# sealwing_sources(<target> <files...>): adds a folder's sources to a library.
function(sealwing_sources target)
  target_sources(${target} PRIVATE ${ARGN})
endfunction()

# sealwing_tests(<files...>): adds unit tests (name_test.cpp beside their code) to the one test program.
function(sealwing_tests)
  if(SEALWING_TESTS)
    target_sources(sealwing_tests PRIVATE ${ARGN})
  endif()
endfunction()

# sealwing_fuzzer(<name> <source>): a libFuzzer target over the add-in's code, built only with SEALWING_FUZZ (the
# sanitizers preset); the test command replays its seed corpus and fuzzes it briefly.
function(sealwing_fuzzer name source)
  if(SEALWING_FUZZ)
    add_executable(${name} ${source})
    target_link_libraries(${name} PRIVATE sealwing_logic)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  endif()
endfunction()

# A Windows test program that runs the add-in's own dialogs under Wine against a local service of its own: the
# dialog templates and manifest from resources/Dialogs.rc, the dialog player and the test CA's trust.
function(sealwing_service_dialog_tests target)
  add_executable(${target} ${ARGN}
    ${PROJECT_SOURCE_DIR}/platform/win32/testdata/DialogInspection.cpp
    ${PROJECT_SOURCE_DIR}/platform/win32/testdata/RootTrust.cpp
    ${PROJECT_SOURCE_DIR}/resources/Dialogs.rc)
  target_link_libraries(${target} PRIVATE sealwing_harness_core sealwing_logic sealwing_options gtest)
  set_property(SOURCE ${PROJECT_SOURCE_DIR}/resources/Dialogs.rc APPEND PROPERTY OBJECT_DEPENDS
    ${PROJECT_SOURCE_DIR}/resources/Dialogs.manifest)
  set_property(SOURCE ${PROJECT_SOURCE_DIR}/resources/Dialogs.rc APPEND PROPERTY INCLUDE_DIRECTORIES
    ${PROJECT_SOURCE_DIR}/resources)
endfunction()
