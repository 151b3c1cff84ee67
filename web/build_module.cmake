# Configures (wasm preset) and builds the WebAssembly module in build/wasm.
# -DSOURCE_DIR= -DWERROR=
cmake_minimum_required(VERSION 3.25)
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} --preset wasm -DTX14_WERROR=${WERROR}
  OUTPUT_QUIET RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring the WebAssembly build failed")
endif()
# Not a sub-make of the calling make: its job server is not passed down.
unset(ENV{MAKEFLAGS})
unset(ENV{MAKELEVEL})
execute_process(COMMAND ${CMAKE_COMMAND} --build ${SOURCE_DIR}/build/wasm --parallel 2
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the WebAssembly build failed")
endif()
