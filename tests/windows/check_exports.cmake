# Checks a Windows DLL's tables: it exports exactly the expected names, it
# imports nothing but system DLLs (the C++ runtime is linked in), and a
# program built against the header and the import library imports the
# entries by the names the DLL exports.
# -DOBJDUMP= -DDLL= -DEXPORTS=name;... -DHOST= -DHOST_IMPORTS=name;...
cmake_minimum_required(VERSION 3.25)
set(failures "")

# objdump's listing of `file` (left in `dump`), and a failure unless the
# names in its block from `heading` to the next blank line (each line that
# starts with `prefix`, a pattern, ends in one) are `expected`, order aside.
function(expect_names what file heading prefix expected)
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump COMMAND_ERROR_IS_FATAL ANY)
  set(dump "${dump}" PARENT_SCOPE)
  string(FIND "${dump}${heading}" "${heading}" start)  # none when the heading is missing
  string(SUBSTRING "${dump}${heading}" ${start} -1 block)
  string(REGEX REPLACE "\n[ \t]*\n.*" "" block "${block}")
  string(REGEX MATCHALL "\n${prefix}[^\n]+" names "${block}")
  list(TRANSFORM names REPLACE "^\n${prefix}" "")
  list(SORT names)
  list(SORT expected)
  if(NOT names STREQUAL expected)
    list(JOIN names " " names)
    list(JOIN expected " " expected)
    set(failures ${failures} "${what}\n  ${names}\nexpected\n  ${expected}" PARENT_SCOPE)
  endif()
endfunction()

expect_names("exports are" ${DLL} "[Ordinal/Name Pointer] Table" "[ \t]*\\[ *[0-9]+\\] " "${EXPORTS}")
string(REGEX MATCHALL "DLL Name: [^\n]+" dependencies "${dump}")
list(TRANSFORM dependencies REPLACE "^DLL Name: " "")
foreach(name IN LISTS dependencies)
  string(TOLOWER "${name}" lower)
  if(NOT lower MATCHES "^(kernel32|msvcrt)\\.dll$")
    list(APPEND failures "imports from ${name}, not a system DLL")
  endif()
endforeach()
get_filename_component(dll_name ${DLL} NAME)
expect_names("a program built against the import library imports" ${HOST} "DLL Name: ${dll_name}"
             "[ \t]*[0-9a-f]+[ \t]+[0-9]+[ \t]+" "${HOST_IMPORTS}")
if(failures)
  string(REPLACE ";" "\n" failures "${failures}")
  message(FATAL_ERROR "${DLL}:\n${failures}")
endif()
