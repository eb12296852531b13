fennix_add_test(library_player_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PreviewPlayerTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
  LIBS fennix_library_player fennix_vexlume Qt6::Test
  GUI
  TIMEOUT 300)
