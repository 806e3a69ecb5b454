# The platform layer on Windows: every call of platform.h is the Win32 call
# of the same name.
add_library(kv7_platform STATIC
  ${CMAKE_CURRENT_LIST_DIR}/documents_folder.cc
  ${CMAKE_CURRENT_LIST_DIR}/files.cc
  ${CMAKE_CURRENT_LIST_DIR}/instance_library.cc
  ${CMAKE_CURRENT_LIST_DIR}/installer.cc
  ${CMAKE_CURRENT_LIST_DIR}/kernel_objects.cc
  ${CMAKE_CURRENT_LIST_DIR}/library_loading.cc
  ${CMAKE_CURRENT_LIST_DIR}/names_and_places.cc
  ${CMAKE_CURRENT_LIST_DIR}/pipes.cc
  ${CMAKE_CURRENT_LIST_DIR}/processes.cc
  ${CMAKE_CURRENT_LIST_DIR}/program.cc
  ${CMAKE_CURRENT_LIST_DIR}/registry.cc
  ${CMAKE_CURRENT_LIST_DIR}/text_encoding.cc
  ${CMAKE_CURRENT_LIST_DIR}/user_interface.cc
)
target_include_directories(kv7_platform PUBLIC ${CMAKE_SOURCE_DIR})
target_compile_definitions(kv7_platform PRIVATE WIN32_LEAN_AND_MEAN NOMINMAX)
target_link_libraries(kv7_platform PUBLIC kv7_base PRIVATE advapi32 user32)
