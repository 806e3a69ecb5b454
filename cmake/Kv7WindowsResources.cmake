# The Windows resources of the programs of the image, compiled by mingw's
# windres in the cross build: a version resource in every program, and the
# icon and the application manifest where a program asks for them.
#
#   kv7_windows_resources(<program> DESCRIPTION <text> [ICON] [MANIFEST])
#
# The version is the driver package's own (packaging/package/driver.wxs:
# Version.Release.Modification.FixLevel), so that a tool that detects the
# driver by file version reads the same number as the package carries.
# Outside the Windows build it does nothing.

set(kv7_resources_dir ${CMAKE_CURRENT_LIST_DIR}/../platform/win32/resources)
set(kv7_company_name "QOR")
set(kv7_product_name "QOR Telvar Driver for ODBC, CLI, and .NET")

file(STRINGS ${CMAKE_CURRENT_LIST_DIR}/../packaging/package/driver.wxs kv7_wxs_defines
     REGEX "<\\?define (Version|Release|Modification|FixLevel) = \"[0-9]+\"\\?>")
foreach(line IN LISTS kv7_wxs_defines)
  if(line MATCHES "define ([A-Za-z]+) = \"([0-9]+)\"")
    set(kv7_package_${CMAKE_MATCH_1} ${CMAKE_MATCH_2})
  endif()
endforeach()
foreach(part Version Release Modification FixLevel)
  if(NOT DEFINED kv7_package_${part})
    message(FATAL_ERROR "packaging/package/driver.wxs defines no ${part}: the programs' "
                        "version resources take their version from it")
  endif()
endforeach()
set(KV7_PACKAGE_VERSION
    "${kv7_package_Version}.${kv7_package_Release}.${kv7_package_Modification}.${kv7_package_FixLevel}")

function(kv7_windows_resources target)
  if(NOT WIN32)
    return()
  endif()
  cmake_parse_arguments(R "ICON;MANIFEST" "DESCRIPTION" "" ${ARGN})
  set(KV7_COMPANY_NAME ${kv7_company_name})
  set(KV7_PRODUCT_NAME ${kv7_product_name})
  set(KV7_FILE_DESCRIPTION ${R_DESCRIPTION})
  set(KV7_INTERNAL_NAME ${target})
  set(KV7_ORIGINAL_FILENAME ${target}.exe)
  set(KV7_VERSION_DOTS ${KV7_PACKAGE_VERSION})
  string(REPLACE "." "," KV7_VERSION_COMMAS ${KV7_PACKAGE_VERSION})
  set(KV7_RC_ICON "")
  set(KV7_RC_MANIFEST "")
  set(depends)
  if(R_ICON)
    set(KV7_RC_ICON "1 ICON \"${kv7_resources_dir}/setup.ico\"")
    list(APPEND depends ${kv7_resources_dir}/setup.ico)
  endif()
  if(R_MANIFEST)
    set(manifest ${CMAKE_CURRENT_BINARY_DIR}/${target}.manifest)
    configure_file(${kv7_resources_dir}/${target}.manifest.in ${manifest} @ONLY)
    # Resource 1 of type RT_MANIFEST: the manifest Windows reads when it
    # starts the program.
    set(KV7_RC_MANIFEST "CREATEPROCESS_MANIFEST_RESOURCE_ID RT_MANIFEST \"${manifest}\"")
    list(APPEND depends ${manifest})
  endif()
  set(rc ${CMAKE_CURRENT_BINARY_DIR}/${target}_resources.rc)
  configure_file(${kv7_resources_dir}/program.rc.in ${rc} @ONLY)
  set_source_files_properties(${rc} PROPERTIES OBJECT_DEPENDS "${depends}")
  target_sources(${target} PRIVATE ${rc})
endfunction()
