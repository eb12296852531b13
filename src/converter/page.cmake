# The Convert page and its windows: the output-format sheet with the preset chooser and the
# encoder settings, the converter's small controls, and the page's list of conversions.
fennix_gui_library(fennix_converter_page
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/CascadePanel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/CategoryPanel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConvFromatController.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConverterPageRegistration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConverterViewCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EncDataSource.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EncSettingViewCtl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/EncValueValidator.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FormatPanel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MyFloatFormatter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MyFrameRateFormatter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MyIntegerFormatter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MyResolutionFormatter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NumberFieldFormatter.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OpenPanel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SubFormatView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SubParamView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UrlLabel.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VCPopUpButton.cpp
  LIBS fennix_converter_presets_gui fennix_converter_core fennix_downloads_page fennix_library_core
       fennix_library_player fennix_controls fennix_shell_lookfeel fennix_platform_core fennix_scriblet)

# The gallery renders the sheet, its chooser and the settings panel too.
set_property(GLOBAL APPEND PROPERTY FENNIX_GALLERY_PAGE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/ConverterGalleryPages.cpp)
set_property(GLOBAL APPEND PROPERTY FENNIX_GALLERY_PAGE_LIBS fennix_converter_page)
