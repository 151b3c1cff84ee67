# Checks a Windows DLL's tables: it exports exactly the expected names, it
# imports nothing but system DLLs (the C++ runtime is linked in), and a
# program built against the header and the import library imports the
# entries by the names the DLL exports.
# -DOBJDUMP= -DDLL= -DEXPORTS=name;... -DHOST= -DHOST_IMPORTS=name;...
cmake_minimum_required(VERSION 3.25)
set(system_dlls kernel32.dll msvcrt.dll)

function(read_tables file out_var)
  execute_process(COMMAND ${OBJDUMP} -p ${file} OUTPUT_VARIABLE dump RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "cannot read the tables of ${file}")
  endif()
  set(${out_var} "${dump}" PARENT_SCOPE)
endfunction()

# The names in one block of objdump's listing: from the heading up to the
# next blank line, each line that starts with the prefix (a pattern) ends in
# a name.
function(names_in_block dump heading prefix out_var)
  set(names "")
  string(FIND "${dump}" "${heading}" start)
  if(start GREATER_EQUAL 0)
    string(SUBSTRING "${dump}" ${start} -1 block)
    string(REGEX REPLACE "\n[ \t]*\n.*" "" block "${block}")
    string(REGEX MATCHALL "\n${prefix}[^\n]+" lines "${block}")
    foreach(line IN LISTS lines)
      string(REGEX REPLACE "^\n${prefix}" "" name "${line}")
      list(APPEND names "${name}")
    endforeach()
  endif()
  set(${out_var} "${names}" PARENT_SCOPE)
endfunction()

# Adds a failure when the two name lists differ, order aside.
function(expect_names what actual expected)
  list(SORT actual)
  list(SORT expected)
  if(NOT actual STREQUAL expected)
    string(JOIN " " actual_text ${actual})
    string(JOIN " " expected_text ${expected})
    set(failures ${failures} "${what}\n  ${actual_text}\nexpected\n  ${expected_text}" PARENT_SCOPE)
  endif()
endfunction()

set(failures "")

read_tables(${DLL} dll_dump)
names_in_block("${dll_dump}" "[Ordinal/Name Pointer] Table" "[ \t]*\\[ *[0-9]+\\] " exported)
expect_names("exports are" "${exported}" "${EXPORTS}")

string(REGEX MATCHALL "DLL Name: [^\n]+" dependencies "${dll_dump}")
foreach(dependency IN LISTS dependencies)
  string(REGEX REPLACE "^DLL Name: " "" name "${dependency}")
  string(TOLOWER "${name}" lower)
  if(NOT lower IN_LIST system_dlls)
    list(APPEND failures "imports from ${name}, not a system DLL")
  endif()
endforeach()

get_filename_component(dll_name ${DLL} NAME)
read_tables(${HOST} host_dump)
names_in_block("${host_dump}" "DLL Name: ${dll_name}" "[ \t]*[0-9a-f]+[ \t]+[0-9]+[ \t]+"
               host_imported)
expect_names("a program built against the import library imports" "${host_imported}"
             "${HOST_IMPORTS}")

if(failures)
  string(REPLACE ";" "\n" failures "${failures}")
  message(FATAL_ERROR "${DLL}:\n${failures}")
endif()
string(JOIN " " exported_text ${exported})
message(STATUS "${dll_name} exports ${exported_text}")
