fennix_add_test(library_player_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PreviewPlayerTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
  LIBS fennix_library_player fennix_vexlume Qt6::Test
  GUI
  TIMEOUT 300)

# The player window on an X server of its own with a window manager (Xvfb, openbox): every
# case runs its twin in a child process on that display.
pkg_check_modules(PLAYER_X11_XCB REQUIRED IMPORTED_TARGET xcb)
fennix_add_test(library_player_x11_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PlayerOnX11Test.cpp
    ${PROJECT_SOURCE_DIR}/tests/recording/PrivateXServer.cpp
    ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
  LIBS fennix_library_player fennix_vexlume PkgConfig::PLAYER_X11_XCB Qt6::Test
  GUI
  CHILD_CASES "PlayerX11Session.*"
  TIMEOUT 300)
