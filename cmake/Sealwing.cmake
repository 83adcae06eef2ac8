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
