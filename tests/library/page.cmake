fennix_add_test(library_page_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/LibraryPageTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LibraryStoreFixture.cpp
    ${PROJECT_SOURCE_DIR}/tests/downloads/RowTitleMenu.cpp
  LIBS fennix_library_page Qt6::Test
  GUI
  TIMEOUT 300)
target_include_directories(library_page_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/downloads)

# The library inside the Download page (its tab's buttons, the scheduler, the pop-ups) and a
# picture of the Downloaded tab.
fennix_add_test(library_download_page_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/DownloadPageLibraryTest.cpp ${CMAKE_CURRENT_LIST_DIR}/LibraryStoreFixture.cpp
  LIBS fennix_library_page Qt6::Test
  GUI
  TIMEOUT 300)
target_compile_definitions(library_download_page_tests PRIVATE LIBRARY_GRAB_DIR="${CMAKE_CURRENT_BINARY_DIR}/library-grabs")

# The main road on real helpers: a pasted page downloaded from a loopback server becomes a
# library row, stored in "Library.db", and the library survives a restart.
fennix_add_test(library_end_to_end_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/LibraryEndToEndTest.cpp ${PROJECT_SOURCE_DIR}/tests/engine/LoopbackServer.cpp
  LIBS fennix_library_page
  GUI
  TIMEOUT 400)
target_include_directories(library_end_to_end_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/engine)
add_dependencies(library_end_to_end_tests Reelgrab Corvidash SwiftcarryCmd)
target_compile_definitions(library_end_to_end_tests PRIVATE REELGRAB_PROGRAM="$<TARGET_FILE:Reelgrab>")

# The right click on a row's title by real X input, on a private X server with a window manager
# (tests/support/run-under-x-wm.sh); offscreen it skips itself.
pkg_check_modules(LIBRARY_X_TEST_XCB REQUIRED IMPORTED_TARGET xcb xcb-xtest)
add_executable(library_row_menu_x_tests
  ${CMAKE_CURRENT_LIST_DIR}/LibraryRowMenuXTest.cpp ${CMAKE_CURRENT_LIST_DIR}/LibraryStoreFixture.cpp)
target_link_libraries(library_row_menu_x_tests PRIVATE fennix_testsupport_gui fennix_library_page Qt6::Test
  PkgConfig::LIBRARY_X_TEST_XCB)
add_test(NAME library_row_menu_x_tests
  COMMAND sh ${PROJECT_SOURCE_DIR}/tests/support/run-under-x-wm.sh $<TARGET_FILE:library_row_menu_x_tests>)
set_tests_properties(library_row_menu_x_tests PROPERTIES SKIP_REGULAR_EXPRESSION "\\[  SKIPPED \\]" TIMEOUT 120)
