# Loading speed of the response-file reader (a plain program: it prints its
# own table of lines per second and growth ratios).
if(TARGET kv7_responsefile AND TARGET kv7_platform)
  add_executable(response_file_bench ${CMAKE_CURRENT_LIST_DIR}/response_file_bench.cc)
  target_link_libraries(response_file_bench PRIVATE kv7_responsefile)
endif()
