# Tests of the tool bar, tables, cells, badges and scrollers (included by CMakeLists.txt).
fennix_add_test(controls_table_tests GUI
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TableGeometryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ToolBarTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TableViewTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CellsAndBadgesTest.cpp
  LIBS fennix_controls fennix_shell_lookfeel)

# Runs the gallery and looks at the table pictures.
fennix_add_test(controls_table_gallery_tests GUI
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/TableGalleryTest.cpp
  TIMEOUT 180)
add_dependencies(controls_table_gallery_tests controls-gallery)
target_compile_definitions(controls_table_gallery_tests PRIVATE CONTROLS_GALLERY_PATH="$<TARGET_FILE:controls-gallery>")
