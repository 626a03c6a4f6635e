# Helpers shared by every directory: tools land in bin/, tests in tests/.

set(QUOBIX_BIN_DIR ${CMAKE_BINARY_DIR}/bin)
set(QUOBIX_TEST_DIR ${CMAKE_BINARY_DIR}/tests)

# quobix_tool(NAME SOURCES...): a program linked with the common library.
function(quobix_tool name)
  add_executable(${name} ${ARGN})
  target_link_libraries(${name} PRIVATE quobix_common)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QUOBIX_BIN_DIR})
  install(TARGETS ${name} RUNTIME DESTINATION ${CMAKE_INSTALL_BINDIR})
endfunction()

# quobix_test(NAME SOURCES... [LIBS libs...]): a GoogleTest program run by ctest.
function(quobix_test name)
  if(NOT QUOBIX_TESTS)
    return()  # testing is off, GoogleTest is missing, or this is the fuzzing build
  endif()
  cmake_parse_arguments(T "" "" "LIBS" ${ARGN})
  add_executable(${name} ${T_UNPARSED_ARGUMENTS})
  target_link_libraries(${name} PRIVATE ${T_LIBS} quobix_common GTest::gtest GTest::gtest_main)
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${QUOBIX_TEST_DIR})
  # Each case is its own ctest test, so a failure names itself and reruns alone.
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST)
endfunction()

# quobix_fuzzer(NAME SOURCES... [LIBS libs...]): a libFuzzer program, built
# only with QUOBIX_FUZZ.
function(quobix_fuzzer name)
  if(QUOBIX_FUZZ)
    cmake_parse_arguments(F "" "" "LIBS" ${ARGN})
    add_executable(${name} ${F_UNPARSED_ARGUMENTS})
    target_link_libraries(${name} PRIVATE ${F_LIBS} quobix_common)
    target_link_options(${name} PRIVATE -fsanitize=fuzzer)
    set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${CMAKE_BINARY_DIR}/fuzz)
  endif()
endfunction()
