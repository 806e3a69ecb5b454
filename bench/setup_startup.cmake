# Start-up cost of the whole setup process against a trivial program.
if(TARGET setup AND TARGET kv7_emulated_testing)
  add_executable(trivial_program ${CMAKE_CURRENT_LIST_DIR}/trivial_program.cc)
  add_executable(setup_startup_bench ${CMAKE_CURRENT_LIST_DIR}/setup_startup_bench.cc
                                     ${CMAKE_SOURCE_DIR}/tests/machine_with_image.cc)
  target_link_libraries(setup_startup_bench PRIVATE kv7_emulated_testing kv7_installed)
  add_dependencies(setup_startup_bench setup trivial_program)
endif()
