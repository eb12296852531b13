# Presets, converter globals, Smart Fit and the converter's images.
fennix_add_test(converter_presets_tests
  SOURCES
    OutputNamesTest.cpp
    PresetCatalogueTest.cpp
    SmartFitTest.cpp
    SubtitleServicesTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
  LIBS fennix_converter_presets
  TIMEOUT 300)

# Drawing the sheets (the globals load some) needs a GUI application object: their lettering
# needs fonts.
fennix_add_test(converter_presets_gui_tests
  SOURCES ConverterGlobalsTest.cpp ConverterImagesTest.cpp EncodeOpenPanelTest.cpp
  LIBS fennix_converter_presets_gui
  GUI)

# One real conversion per built-in preset through the pipeline's argument list.
fennix_add_test(converter_presets_conversion_tests
  SOURCES
    PresetConversionTest.cpp
    ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
  LIBS fennix_converter_presets fennix_swiftcarry_engine
  TIMEOUT 900)
