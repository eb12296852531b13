# Tests of the Download page.
fennix_add_test(fennix_downloads_page_tests
  SOURCES DownloadPageRulesTest.cpp DownloadingListTest.cpp DownloadPageConvertTest.cpp SilentReelgrab.cpp
  LIBS fennix_downloads_page Qt6::Test
  GUI
  TIMEOUT 180)
add_dependencies(fennix_downloads_page_tests fake_reelgrab)
target_compile_definitions(fennix_downloads_page_tests PRIVATE FAKE_REELGRAB_PATH="$<TARGET_FILE:fake_reelgrab>")

# The finished-download notice over a private session bus.
fennix_add_test(fennix_download_notice_tests
  SOURCES DownloadFinishedNoticeTest.cpp
  LIBS fennix_downloads_page Qt6::Test
  GUI)

# The page driving real helper processes against a loopback server, and a picture of it.
fennix_add_test(fennix_downloads_page_end_to_end_tests
  SOURCES DownloadPageEndToEndTest.cpp ${PROJECT_SOURCE_DIR}/tests/engine/LoopbackServer.cpp
  LIBS fennix_downloads_page
  GUI
  TIMEOUT 400)
target_include_directories(fennix_downloads_page_end_to_end_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/engine)
add_dependencies(fennix_downloads_page_end_to_end_tests Reelgrab Corvidash)
target_compile_definitions(fennix_downloads_page_end_to_end_tests PRIVATE
  REELGRAB_PROGRAM="$<TARGET_FILE:Reelgrab>"
  PAGE_GRAB_PATH="${CMAKE_CURRENT_BINARY_DIR}/DownloadPage.png")

# The finished-media row, its action bar and the delete window, with pictures of them.
fennix_add_test(fennix_downloaded_row_tests
  SOURCES DownloadedRowTest.cpp
  LIBS fennix_downloads_page Qt6::Test
  GUI)
target_compile_definitions(fennix_downloaded_row_tests PRIVATE ROW_GRAB_DIR="${CMAKE_CURRENT_BINARY_DIR}/row-grabs")

# The import sheet over a window, driving the real conversion tool.
fennix_add_test(fennix_media_loader_sheet_tests
  SOURCES MediaLoaderWndTest.cpp ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
  LIBS fennix_downloads_page Qt6::Test
  GUI
  TIMEOUT 120)
add_dependencies(fennix_media_loader_sheet_tests SwiftcarryCmd)
