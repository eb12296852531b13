# The Convert page, its output-format sheet and the converter's controls.
if(TARGET fennix_converter_page)
  fennix_add_test(converter_page_tests
    SOURCES ConverterPanelsTest.cpp FormatSheetTest.cpp ConverterPageTest.cpp
            ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
    LIBS fennix_converter_page fennix_library_actions Qt6::Test
    GUI
    TIMEOUT 180)
endif()
