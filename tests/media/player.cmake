fennix_add_test(vexlume_player_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/QVUltraPlayerTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
  LIBS fennix_vexlume_player fennix_vexlume
  GUI
  TIMEOUT 240)
