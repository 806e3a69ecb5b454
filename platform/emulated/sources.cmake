# The emulated Windows machine: the platform interface answered from a
# machine directory on the host (see README, "The emulated Windows machine").
set(emulated_dir ${CMAKE_CURRENT_LIST_DIR})

add_library(kv7_platform STATIC
  ${emulated_dir}/child_process.cc
  ${emulated_dir}/code_page.cc
  ${emulated_dir}/command_line.cc
  ${emulated_dir}/console.cc
  ${emulated_dir}/exit_code_channel.cc
  ${emulated_dir}/file_calls.cc
  ${emulated_dir}/handle_table.cc
  ${emulated_dir}/host_files.cc
  ${emulated_dir}/host_listings.cc
  ${emulated_dir}/installer_registrations.cc
  ${emulated_dir}/instance_library.cc
  ${emulated_dir}/last_error.cc
  ${emulated_dir}/machine.cc
  ${emulated_dir}/message_box.cc
  ${emulated_dir}/named_mutex.cc
  ${emulated_dir}/names_and_places.cc
  ${emulated_dir}/own_command_line.cc
  ${emulated_dir}/path_namespace.cc
  ${emulated_dir}/pipes.cc
  ${emulated_dir}/process_calls.cc
  ${emulated_dir}/refused_names.cc
  ${emulated_dir}/program_lifecycle.cc
  ${emulated_dir}/registry_calls.cc
  ${emulated_dir}/registry_file.cc
  ${emulated_dir}/registry_key.cc
  ${emulated_dir}/registry_parser.cc
  ${emulated_dir}/registry_view.cc
  ${emulated_dir}/registry_writer.cc
  ${emulated_dir}/short_names.cc
  ${emulated_dir}/text_encoding.cc
  ${emulated_dir}/text_stream.cc
)
target_include_directories(kv7_platform PUBLIC ${CMAKE_SOURCE_DIR})
# Where a new machine finds the emulated installer this build makes.
target_compile_definitions(kv7_platform PRIVATE
  KV7_EMULATED_INSTALLER_DEFAULT="${CMAKE_BINARY_DIR}/bin/msiexec")
target_link_libraries(kv7_platform PUBLIC kv7_base)
find_package(Threads REQUIRED)
target_link_libraries(kv7_platform PUBLIC Threads::Threads)

if(KV7_BUILD_TESTS)
  find_package(GTest REQUIRED)
  add_library(kv7_emulated_testing STATIC ${emulated_dir}/test_disk.cc ${emulated_dir}/test_machine.cc)
  target_link_libraries(kv7_emulated_testing PUBLIC kv7_platform GTest::gtest)
endif()

if(KV7_BUILD_TESTS)
  add_executable(emulated_probe ${emulated_dir}/testdata/emulated_probe.cc)
  target_link_libraries(emulated_probe PRIVATE kv7_platform)
  kv7_add_test(emulated_machine_tests
    SOURCES
      ${emulated_dir}/command_line_test.cc
      ${emulated_dir}/host_files_test.cc
      ${emulated_dir}/machine_test.cc
      ${emulated_dir}/message_box_test.cc
      ${emulated_dir}/named_mutex_test.cc
      ${emulated_dir}/path_namespace_test.cc
      ${emulated_dir}/process_calls_test.cc
      ${emulated_dir}/registry_calls_test.cc
      ${emulated_dir}/registry_file_test.cc
      ${emulated_dir}/short_names_test.cc
      ${emulated_dir}/text_stream_test.cc
    LIBS kv7_emulated_testing)
  add_dependencies(emulated_machine_tests emulated_probe)
endif()

kv7_add_fuzzer(registry_file_fuzzer SOURCES ${emulated_dir}/fuzz/registry_file_fuzzer.cc
               LIBS kv7_platform)
