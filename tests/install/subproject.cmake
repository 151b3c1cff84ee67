# Configures tests/install/subproject, which takes the project in with
# FetchContent, once as it comes and once asking for the install rules: the
# library's install rules are generated only when asked for.
# -DSOURCE_DIR= -DWORK_DIR= -DGENERATOR= -DC_COMPILER= -DCXX_COMPILER=
cmake_minimum_required(VERSION 3.25)

# TX14_INSTALL as given (default: not given), and whether the rules must be
# there.
set(given default ON OFF)
set(rules_expected OFF ON OFF)
foreach(asked expected IN ZIP_LISTS given rules_expected)
  set(dir ${WORK_DIR}/${asked})
  file(REMOVE_RECURSE ${dir})
  set(install_option "")
  if(NOT asked STREQUAL "default")
    set(install_option -DTX14_INSTALL=${asked})
  endif()
  execute_process(
    COMMAND ${CMAKE_COMMAND} -S ${CMAKE_CURRENT_LIST_DIR}/subproject -B ${dir} -G ${GENERATOR}
            -DCMAKE_C_COMPILER=${C_COMPILER} -DCMAKE_CXX_COMPILER=${CXX_COMPILER}
            -DTX14_SOURCE_DIR=${SOURCE_DIR} ${install_option}
    OUTPUT_VARIABLE output ERROR_VARIABLE output RESULT_VARIABLE status)
  if(NOT status EQUAL 0)
    message(FATAL_ERROR "configuring the project that takes TXAppendix14 in (TX14_INSTALL ${asked}) "
                        "failed:\n${output}")
  endif()
  file(READ ${dir}/_deps/txappendix14-build/cmake_install.cmake rules)
  string(FIND "${rules}" "TXAppendix14Targets" at)
  if(expected AND at EQUAL -1)
    message(FATAL_ERROR "TX14_INSTALL ${asked}: the library's install rules are missing")
  elseif(NOT expected AND NOT at EQUAL -1)
    message(FATAL_ERROR "TX14_INSTALL ${asked}: install rules generated without being asked for")
  endif()
endforeach()
