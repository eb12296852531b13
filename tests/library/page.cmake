fennix_add_test(library_page_tests
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/LibraryPageTest.cpp
  LIBS fennix_library_page Qt6::Test
  GUI
  TIMEOUT 300)
