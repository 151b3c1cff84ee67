# Checks that the library's 32-bit code does its float arithmetic in SSE:
# the x87 unit would compute in extended precision and give other bits than
# the Linux library. Loads and stores of x87 registers (float results are
# returned in one) and the integer conversions are exact and allowed.
# -DOBJDUMP= -DOBJECT_DIR=
cmake_minimum_required(VERSION 3.25)
set(x87_arithmetic "fi?(add|sub|mul|div)[a-z]*" fsqrt "fprem1?" frndint fscale fsin fcos fsincos fptan fpatan f2xm1
                   fyl2x fyl2xp1 fxtract)
list(JOIN x87_arithmetic "|" x87_arithmetic)
file(GLOB_RECURSE objects ${OBJECT_DIR}/*.obj)
if(NOT objects)
  message(FATAL_ERROR "no object files in ${OBJECT_DIR}")
endif()
set(failures "")
foreach(object IN LISTS objects)
  execute_process(COMMAND ${OBJDUMP} -d --no-show-raw-insn ${object} OUTPUT_VARIABLE code COMMAND_ERROR_IS_FATAL ANY)
  string(REGEX MATCHALL ":\t(${x87_arithmetic})[ \n]" found "${code}")
  if(found)
    list(REMOVE_DUPLICATES found)
    list(TRANSFORM found REPLACE "[:\t \n]" "")
    list(JOIN found " " found)
    get_filename_component(name ${object} NAME)
    list(APPEND failures "${name}: ${found}")
  endif()
endforeach()
if(failures)
  list(JOIN failures "\n" failures)
  message(FATAL_ERROR "x87 arithmetic in the 32-bit library:\n${failures}")
endif()
