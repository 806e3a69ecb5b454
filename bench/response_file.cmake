# Loading speed of the response-file reader (a plain program: it prints its
# own table of lines per second and growth ratios), and the rspcheck process
# against cut on the largest file.
if(TARGET kv7_responsefile AND TARGET kv7_platform AND TARGET rspcheck)
  add_executable(response_file_bench ${CMAKE_CURRENT_LIST_DIR}/response_file_bench.cc)
  target_link_libraries(response_file_bench PRIVATE kv7_responsefile)
  target_compile_definitions(response_file_bench PRIVATE KV7_RSPCHECK="$<TARGET_FILE:rspcheck>")
  add_dependencies(response_file_bench rspcheck)
endif()
