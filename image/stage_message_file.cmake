# Stages one message file of the installation image:
#   cmake -DSOURCE=<Launch.pro> -DTARGET=<staged Launch.pro> -DCODE_PAGE=<CPnnnn>
#         -DICONV=<iconv program> -P stage_message_file.cmake
# The source is UTF-8 with LF line ends, so that it can be edited anywhere. The
# launcher reads its texts as bytes of the Windows ANSI code page through a
# text-mode stream, so the staged file is in the language's code page with CRLF
# line ends. A text the code page cannot hold fails the stage, naming the file
# and line, rather than reaching a user as question marks.

foreach(var SOURCE TARGET CODE_PAGE ICONV)
  if(NOT DEFINED ${var} OR "${${var}}" STREQUAL "")
    message(FATAL_ERROR "stage_message_file.cmake: ${var} is not set")
  endif()
endforeach()

file(READ "${SOURCE}" text)
string(REPLACE "\r\n" "\n" text "${text}")
# The launcher drops the last character of every line it reads; a last line
# without a line end would lose the last character of its text.
if(NOT text STREQUAL "" AND NOT text MATCHES "\n$")
  string(APPEND text "\n")
endif()
string(REPLACE "\n" "\r\n" text "${text}")

get_filename_component(target_dir "${TARGET}" DIRECTORY)
file(MAKE_DIRECTORY "${target_dir}")
set(crlf_file "${TARGET}.utf8.tmp")
set(converted_file "${TARGET}.tmp")
file(WRITE "${crlf_file}" "${text}")

execute_process(
  COMMAND "${ICONV}" -f UTF-8 -t "${CODE_PAGE}" "${crlf_file}"
  OUTPUT_FILE "${converted_file}"
  ERROR_VARIABLE iconv_error
  RESULT_VARIABLE iconv_result)
file(REMOVE "${crlf_file}")

if(NOT iconv_result EQUAL 0)
  file(REMOVE "${converted_file}")
  set(where "${SOURCE}")
  # iconv names the byte offset of the first text it cannot convert; turn it
  # into the line a translator has to fix.
  if(iconv_error MATCHES "position ([0-9]+)")
    string(SUBSTRING "${text}" 0 ${CMAKE_MATCH_1} before)
    string(REGEX MATCHALL "\n" line_ends "${before}")
    list(LENGTH line_ends line_count)
    math(EXPR line "${line_count} + 1")
    set(where "${SOURCE}:${line}")
  endif()
  string(STRIP "${iconv_error}" iconv_error)
  message(FATAL_ERROR
    "${where}: the text cannot be converted to code page ${CODE_PAGE} (${iconv_error})")
endif()

file(RENAME "${converted_file}" "${TARGET}")
