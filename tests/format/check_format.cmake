# Every C and C++ source of the project follows .clang-format: clang-format
# would change nothing. -DCLANG_FORMAT= -DSOURCE_DIR=
cmake_minimum_required(VERSION 3.25)
file(GLOB_RECURSE sources LIST_DIRECTORIES false
     ${SOURCE_DIR}/applications/*.cpp ${SOURCE_DIR}/applications/*.hpp ${SOURCE_DIR}/applications/*.h
     ${SOURCE_DIR}/tests/*.cpp ${SOURCE_DIR}/tests/*.hpp ${SOURCE_DIR}/tests/*.c
     ${SOURCE_DIR}/bench/*.cpp ${SOURCE_DIR}/bench/*.hpp ${SOURCE_DIR}/fuzz/*.cpp ${SOURCE_DIR}/fuzz/*.hpp
     ${SOURCE_DIR}/web/*.cpp ${SOURCE_DIR}/examples/*.c)
execute_process(COMMAND ${CLANG_FORMAT} --dry-run --Werror ${sources} RESULT_VARIABLE status)
if(NOT status EQUAL 0)
  message(FATAL_ERROR "these sources do not follow .clang-format: run clang-format -i on them")
endif()
