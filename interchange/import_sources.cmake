# The import of declaration files: the engine in the core, the dialog in the
# windows. Included from the top-level CMakeLists.txt.
target_sources(velq8_core PRIVATE
  ${CMAKE_SOURCE_DIR}/interchange/import_engine.cpp
  ${CMAKE_SOURCE_DIR}/interchange/import_engine.h
)
target_sources(velq8_ui PRIVATE
  ${CMAKE_SOURCE_DIR}/interchange/import_dialog.cpp
  ${CMAKE_SOURCE_DIR}/interchange/import_dialog.h
)
