# Builds the driver's Windows Installer package from driver.wxs with wixl,
# stores its instance transforms in it and stages it into the installation
# image under the name the launcher looks for, with its language transforms
# beside it.
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

# wixl writes the package in place; it is built outside the image, and the
# transform writer puts the copy with its instance transforms into the image
# whole, so a failed run leaves no half-written package there.
set(kv7_package_scratch_dir ${CMAKE_BINARY_DIR}/driver_package)
set(kv7_package_scratch ${kv7_package_scratch_dir}/driver.msi)

if(KV7_WIXL)
  set(kv7_package_build
      COMMAND ${CMAKE_COMMAND} -E make_directory ${kv7_package_scratch_dir}
      COMMAND ${KV7_WIXL} -a x64 -o ${kv7_package_scratch} driver.wxs)
else()
  message(WARNING "wixl not found: the driver package cannot be built. "
                  "Run scripts/test.sh, which installs it (or: apt-get install wixl).")
  set(kv7_package_build
      COMMAND ${CMAKE_COMMAND} -E echo
              "error: wixl not found. Run scripts/test.sh, which installs it (or: apt-get install wixl), then build again."
      COMMAND ${CMAKE_COMMAND} -E false)
endif()

add_custom_command(
  OUTPUT ${kv7_package_scratch}
  ${kv7_package_build}
  DEPENDS ${kv7_package_inputs}
  WORKING_DIRECTORY ${KV7_PACKAGE_SOURCE_DIR}
  COMMENT "Building the driver package with wixl"
  VERBATIM)

# The transform writer is a program of the host. A cross build makes its own
# host build of it (host-tools/), from the same sources.
if(CMAKE_CROSSCOMPILING)
  include(ExternalProject)
  set(kv7_host_tools_dir ${CMAKE_BINARY_DIR}/host-tools)
  set(kv7_transform_writer ${kv7_host_tools_dir}/bin/transform_writer)
  ExternalProject_Add(host_transform_writer
    SOURCE_DIR ${CMAKE_SOURCE_DIR}
    BINARY_DIR ${kv7_host_tools_dir}
    CMAKE_ARGS -DKV7_HOST_TOOLS_ONLY=ON -DKV7_BUILD_TESTS=OFF -DKV7_BUILD_BENCH=OFF
               -DCMAKE_BUILD_TYPE=Release
    INSTALL_COMMAND ""
    BUILD_ALWAYS ON
    BUILD_BYPRODUCTS ${kv7_transform_writer})
  # The file too, so that a rebuilt writer rewrites the transforms.
  set(kv7_transform_writer_target host_transform_writer ${kv7_transform_writer})
elseif(TARGET transform_writer)
  set(kv7_transform_writer $<TARGET_FILE:transform_writer>)
  set(kv7_transform_writer_target transform_writer)
else()
  message(WARNING "the driver package cannot be built without the transform writer "
                  "(it needs libmsi-dev, libglib2.0-dev and libgsf-1-dev)")
  set(kv7_transform_writer false)
  set(kv7_transform_writer_target)
endif()

# The instance transforms inst1.mst to inst15.mst, stored in the package:
# each gives a further copy the product code of its slot and component codes
# of its own for what it installs below INSTALLDIR.
set(kv7_instance_transforms)
set(kv7_instance_commands)
foreach(slot RANGE 1 15)
  set(transform ${kv7_package_scratch_dir}/inst${slot}.mst)
  list(APPEND kv7_instance_commands
       COMMAND ${kv7_transform_writer} instance ${kv7_package_scratch} ${slot} INSTALLDIR
               ${transform})
  list(APPEND kv7_instance_transforms inst${slot}.mst=${transform})
endforeach()
add_custom_command(
  OUTPUT ${KV7_DRIVER_PACKAGE}
  ${kv7_instance_commands}
  COMMAND ${kv7_transform_writer} embed ${kv7_package_scratch} ${KV7_DRIVER_PACKAGE}
          ${kv7_instance_transforms}
  DEPENDS ${kv7_package_scratch} ${kv7_transform_writer_target}
  COMMENT "Storing the instance transforms in the driver package"
  VERBATIM)

# The language transforms beside the package, <LCID>.mst, one for each
# languages/<locale>.txt: the package's texts in that language, in the ANSI
# code page of its locale (kv7_message_code_pages, image/CMakeLists.txt).
set(kv7_language_transforms)
file(GLOB kv7_language_sources CONFIGURE_DEPENDS ${KV7_PACKAGE_SOURCE_DIR}/languages/*.txt)
foreach(source IN LISTS kv7_language_sources)
  get_filename_component(locale ${source} NAME_WE)
  string(TOLOWER ${locale} locale_lower)
  set(code_page)
  foreach(entry IN LISTS kv7_message_code_pages)
    string(TOLOWER ${entry} entry_lower)
    if(entry_lower MATCHES "^${locale_lower}:cp([0-9]+)$")
      set(code_page ${CMAKE_MATCH_1})
    endif()
  endforeach()
  file(STRINGS ${source} language_line REGEX "^change\tProperty\tProductLanguage\tValue=[0-9]+$")
  if(NOT code_page OR NOT language_line MATCHES "Value=([0-9]+)$")
    message(FATAL_ERROR "languages/${locale}.txt needs a code page in image/CMakeLists.txt "
                        "and a ProductLanguage line")
  endif()
  set(transform ${KV7_IMAGE_DIR}/${CMAKE_MATCH_1}.mst)
  add_custom_command(
    OUTPUT ${transform}
    COMMAND ${kv7_transform_writer} changes ${kv7_package_scratch} ${source} ${code_page}
            ${transform}
    DEPENDS ${kv7_package_scratch} ${source} ${kv7_transform_writer_target}
    COMMENT "Writing the language transform ${CMAKE_MATCH_1}.mst (${locale}, code page ${code_page})"
    VERBATIM)
  list(APPEND kv7_language_transforms ${transform})
endforeach()

add_custom_target(driver_package ALL DEPENDS ${KV7_DRIVER_PACKAGE} ${kv7_language_transforms})

# The tests of the staged transforms check each language's code page.
if(TARGET transform_writer_tests)
  string(REPLACE ";" " " code_pages "${kv7_message_code_pages}")
  target_compile_definitions(transform_writer_tests PRIVATE KV7_LANGUAGE_CODE_PAGES="${code_pages}")
endif()

if(KV7_BUILD_TESTS)
  add_test(NAME DriverPackage.Tables
           COMMAND bash ${KV7_PACKAGE_SOURCE_DIR}/package_tables_test.sh ${KV7_DRIVER_PACKAGE})
endif()
