# Configures and builds the library for Windows with a MinGW-w64 toolchain
# file, without the test suite (GoogleTest is not there).
# -DSOURCE_DIR= -DBINARY_DIR= -DTOOLCHAIN= -DGENERATOR= -DWERROR=
cmake_minimum_required(VERSION 3.25)
execute_process(
  COMMAND ${CMAKE_COMMAND} -S ${SOURCE_DIR} -B ${BINARY_DIR} -G ${GENERATOR}
          --toolchain ${TOOLCHAIN} -DCMAKE_BUILD_TYPE=Release
          -DTX14_BUILD_TESTS=OFF -DTX14_WERROR=${WERROR}
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "configuring the Windows build failed")
endif()
execute_process(COMMAND ${CMAKE_COMMAND} --build ${BINARY_DIR} --parallel 2
  RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the Windows build failed")
endif()
