# Building the copy list with every copy's products on a machine of 16 copies.
if(TARGET kv7_installed AND TARGET kv7_emulated_testing)
  add_executable(installed_bench ${CMAKE_CURRENT_LIST_DIR}/installed_bench.cc)
  target_link_libraries(installed_bench PRIVATE kv7_installed kv7_emulated_testing)
endif()
