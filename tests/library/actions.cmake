# Item actions, download-then-convert names and the stored choice, the music-library hand-off.
fennix_add_test(library_actions_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LibraryActionsTest.cpp
  LIBS fennix_library_actions fennix_converter_presets)

# Download then convert through the library page, with real conversions.
find_package(PkgConfig REQUIRED)
pkg_check_modules(ACTIONS_SQLITE3 REQUIRED IMPORTED_TARGET sqlite3)
fennix_add_test(library_convert_mode_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DownloadThenConvertTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
  LIBS fennix_library_page fennix_library_actions PkgConfig::ACTIONS_SQLITE3
  GUI
  TIMEOUT 300)
add_dependencies(library_convert_mode_tests SwiftcarryCmd)
