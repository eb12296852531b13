# The Convert page, its output-format sheet and the converter's controls.
fennix_add_test(converter_page_tests
  SOURCES ConverterPanelsTest.cpp FormatSheetTest.cpp ConverterPageTest.cpp
          ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
          ${PROJECT_SOURCE_DIR}/tests/downloads/RowTitleMenu.cpp
  LIBS fennix_converter_page fennix_library_actions Qt6::Test
  GUI
  TIMEOUT 180)
target_include_directories(converter_page_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/downloads)

# The page with the real conversion tool, and a picture of it.
fennix_add_test(converter_page_end_to_end_tests
  SOURCES ConverterEndToEndTest.cpp ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
  LIBS fennix_converter_page Qt6::Test
  GUI
  TIMEOUT 400)
add_dependencies(converter_page_end_to_end_tests SwiftcarryCmd)
target_compile_definitions(converter_page_end_to_end_tests PRIVATE
  CONVERT_GRAB_PATH="${CMAKE_CURRENT_BINARY_DIR}/ConvertPage.png")

# The Download page's switch with the converter's sheet and the library converting after it.
fennix_add_test(converter_sheet_download_tests
  SOURCES DownloadThenConvertSheetTest.cpp ${PROJECT_SOURCE_DIR}/tests/downloads/SilentReelgrab.cpp
          ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
  LIBS fennix_converter_page fennix_library_page fennix_downloads_page
  GUI
  TIMEOUT 300)
target_include_directories(converter_sheet_download_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/downloads)
add_dependencies(converter_sheet_download_tests SwiftcarryCmd)
add_dependencies(converter_sheet_download_tests fake_reelgrab)
target_compile_definitions(converter_sheet_download_tests PRIVATE FAKE_REELGRAB_PATH="$<TARGET_FILE:fake_reelgrab>")
