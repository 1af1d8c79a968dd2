# Tests of the import; included from tests/CMakeLists.txt.
velq8_add_test(tst_import SOURCES ${CMAKE_SOURCE_DIR}/tests/interchange/tst_import.cpp LIBS velq8_ui)
# The command-line cases run the real velq8-cli.
if(TARGET velq8-cli)
  add_dependencies(tst_import velq8-cli)
  target_compile_definitions(tst_import PRIVATE VELQ8_CLI="$<TARGET_FILE:velq8-cli>")
endif()
