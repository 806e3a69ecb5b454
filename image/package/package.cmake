# Builds the driver's Windows Installer package from driver.wxs with wixl and
# stages it into the installation image under the name the launcher looks for.
# Included from image/CMakeLists.txt; KV7_IMAGE_DIR comes from the top level.

# Cached, so that the Wine tests in tests/wine see them too.
set(KV7_PACKAGE_SOURCE_DIR ${CMAKE_CURRENT_LIST_DIR} CACHE INTERNAL "driver package source")
set(KV7_DRIVER_PACKAGE "${KV7_IMAGE_DIR}/QOR Telvar Driver for ODBC, CLI, and .NET.msi"
    CACHE INTERNAL "the staged driver package")

set(kv7_package_inputs
    ${KV7_PACKAGE_SOURCE_DIR}/driver.wxs
    ${KV7_PACKAGE_SOURCE_DIR}/copy_names.wxi
    ${KV7_PACKAGE_SOURCE_DIR}/copy_name_sequence.wxi
    ${KV7_PACKAGE_SOURCE_DIR}/copy_path.js
    ${KV7_PACKAGE_SOURCE_DIR}/files/bin/kv7drv.dll
    ${KV7_PACKAGE_SOURCE_DIR}/files/cfg/kv7kvdriver.lvl)

# wixl is a host tool also in the Windows cross build.
find_program(KV7_WIXL wixl NO_CMAKE_FIND_ROOT_PATH)

# wixl writes the package in place; it is built outside the image and copied
# in whole, so a failed run leaves no half-written package there.
set(kv7_package_scratch_dir ${CMAKE_BINARY_DIR}/driver_package)
set(kv7_package_scratch ${kv7_package_scratch_dir}/driver.msi)

if(KV7_WIXL)
  set(kv7_package_build
      COMMAND ${CMAKE_COMMAND} -E make_directory ${kv7_package_scratch_dir}
      COMMAND ${KV7_WIXL} -a x64 -o ${kv7_package_scratch} driver.wxs
      COMMAND ${CMAKE_COMMAND} -E copy ${kv7_package_scratch} ${KV7_DRIVER_PACKAGE})
else()
  message(WARNING "wixl not found: the driver package cannot be built. "
                  "Run scripts/test.sh, which installs it (or: apt-get install wixl).")
  set(kv7_package_build
      COMMAND ${CMAKE_COMMAND} -E echo
              "error: wixl not found. Run scripts/test.sh, which installs it (or: apt-get install wixl), then build again."
      COMMAND ${CMAKE_COMMAND} -E false)
endif()

add_custom_command(
  OUTPUT ${KV7_DRIVER_PACKAGE}
  ${kv7_package_build}
  DEPENDS ${kv7_package_inputs}
  WORKING_DIRECTORY ${KV7_PACKAGE_SOURCE_DIR}
  COMMENT "Building the driver package with wixl"
  VERBATIM)
add_custom_target(driver_package ALL DEPENDS ${KV7_DRIVER_PACKAGE})

if(KV7_BUILD_TESTS)
  add_test(NAME DriverPackage.Tables
           COMMAND bash ${KV7_PACKAGE_SOURCE_DIR}/package_tables_test.sh ${KV7_DRIVER_PACKAGE})
endif()
