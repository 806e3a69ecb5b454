# kv7_require_gtest(): GoogleTest, or a configure error that says how to get it.
macro(kv7_require_gtest)
  find_package(GTest QUIET)
  if(NOT GTest_FOUND)
    message(FATAL_ERROR "the tests need GoogleTest: apt-get install libgtest-dev libgmock-dev "
                        "(scripts/ensure-deps.sh installs it), or configure with -DKV7_BUILD_TESTS=OFF")
  endif()
endmacro()

# kv7_add_test(NAME SOURCES a_test.cc ... LIBS lib ...)
# One GoogleTest executable per subsystem, its cases discovered by CTest.
function(kv7_add_test name)
  if(NOT KV7_BUILD_TESTS)
    return()
  endif()
  cmake_parse_arguments(T "" "" "SOURCES;LIBS" ${ARGN})
  kv7_require_gtest()
  add_executable(${name} ${T_SOURCES})
  # Test code needs no full optimisation and no full debug information: at
  # -O1 with line tables only it compiles in half the time, which is most
  # of the test command's build.
  target_compile_options(${name} PRIVATE $<$<CONFIG:RelWithDebInfo>:-O1 -g1>)
  target_link_libraries(${name} PRIVATE ${T_LIBS} GTest::gtest GTest::gtest_main)
  gtest_discover_tests(${name} DISCOVERY_MODE PRE_TEST
                       PROPERTIES ENVIRONMENT "KV7_TEST_BIN_DIR=${CMAKE_BINARY_DIR}/bin;KV7_IMAGE_DIR=${KV7_IMAGE_DIR}")
endfunction()

# kv7_add_program(NAME SOURCES ... LIBS ...): a program staged into the image.
function(kv7_add_program name)
  cmake_parse_arguments(P "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${P_SOURCES})
  target_link_libraries(${name} PRIVATE ${P_LIBS})
  set_target_properties(${name} PROPERTIES RUNTIME_OUTPUT_DIRECTORY ${KV7_IMAGE_DIR})
endfunction()
