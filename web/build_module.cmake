# Configures (wasm preset, into a folder of the calling build) and builds the
# WebAssembly module there.
# -DSOURCE_DIR= -DBINARY_DIR= -DGENERATOR= -DWERROR=
cmake_minimum_required(VERSION 3.25)
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} --preset wasm -B ${BINARY_DIR} -G ${GENERATOR}
          -DTX14_WERROR=${WERROR}
  OUTPUT_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring the WebAssembly build failed")
endif()
# Not a sub-make of the calling make: its job server is not passed down.
unset(ENV{MAKEFLAGS})
unset(ENV{MAKELEVEL})
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --parallel 2
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the WebAssembly build failed")
endif()
