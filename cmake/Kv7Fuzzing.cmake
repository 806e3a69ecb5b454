# libFuzzer harnesses. With -DKV7_FUZZ=ON and clang (scripts/fuzz.sh builds
# them so, with every library instrumented), each subsystem adds its
# harnesses with
#
#   kv7_add_fuzzer(NAME SOURCES harness.cc ... LIBS lib ...)
#
# and keeps the harness's seed corpus in the folder corpus/NAME beside its
# first source file (harnesses live in a fuzz/ folder of their subsystem).
# kv7_finish_fuzzers(), called once every subsystem is added, makes the
# target "fuzzers" that builds them all and lists them, one "NAME<TAB>CORPUS"
# line each, in fuzzers.txt of the build directory: the script runs what
# that list names, so a new harness needs nothing but its kv7_add_fuzzer
# call and its corpus.
option(KV7_FUZZ "Build the libFuzzer harnesses (clang only)" OFF)
if(KV7_FUZZ)
  if(NOT CMAKE_CXX_COMPILER_ID STREQUAL "Clang")
    message(FATAL_ERROR "the fuzz harnesses need clang: apt-get install clang "
                        "(scripts/ensure-deps.sh installs it) and configure with CXX=clang++")
  endif()
  # Every library gets libFuzzer's coverage, so that the harnesses see into
  # them; programs and tests link as usual.
  add_compile_options(-fsanitize=fuzzer-no-link)
endif()

function(kv7_add_fuzzer name)
  if(NOT KV7_FUZZ)
    return()
  endif()
  cmake_parse_arguments(F "" "" "SOURCES;LIBS" ${ARGN})
  add_executable(${name} ${F_SOURCES})
  target_link_libraries(${name} PRIVATE ${F_LIBS})
  target_compile_options(${name} PRIVATE -fsanitize=fuzzer)
  target_link_options(${name} PRIVATE -fsanitize=fuzzer)
  list(GET F_SOURCES 0 harness)
  get_filename_component(harness ${harness} ABSOLUTE BASE_DIR ${CMAKE_CURRENT_SOURCE_DIR})
  get_filename_component(harness_dir ${harness} DIRECTORY)
  set_property(GLOBAL APPEND PROPERTY KV7_FUZZERS "${name}\t${harness_dir}/corpus/${name}")
endfunction()

function(kv7_finish_fuzzers)
  if(NOT KV7_FUZZ)
    return()
  endif()
  get_property(fuzzers GLOBAL PROPERTY KV7_FUZZERS)
  add_custom_target(fuzzers)
  set(listing "")
  foreach(entry IN LISTS fuzzers)
    string(REGEX REPLACE "\t.*" "" name "${entry}")
    add_dependencies(fuzzers ${name})
    string(APPEND listing "${entry}\n")
  endforeach()
  file(WRITE ${CMAKE_BINARY_DIR}/fuzzers.txt "${listing}")
endfunction()
