# The Wine prefix named by WINEPREFIX: -DACTION=make creates it and waits
# until Wine has finished setting it up, so that the test run under Wine
# starts quickly; -DACTION=stop stops its server, if one still runs.
# -DWINE= (the loader: wine64, or wine for a 32-bit prefix) -DWINESERVER= -DPREFIX=
cmake_minimum_required(VERSION 3.25)
if(ACTION STREQUAL "stop")
  execute_process(COMMAND ${WINESERVER} --kill ERROR_QUIET)  # fails when none runs
  return()
endif()

set(ready ${PREFIX}/tx14-prefix-ready)  # written once the set-up is complete
if(EXISTS ${ready})
  return()
endif()
execute_process(COMMAND ${WINE} wineboot --init RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "wineboot failed")
endif()
execute_process(COMMAND ${WINESERVER} --wait RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "the Wine server did not finish setting up the prefix")
endif()
file(TOUCH ${ready})
