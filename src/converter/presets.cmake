# Output-format presets, converter globals and Smart Fit (headless), and what the pages draw.
find_package(Qt6 REQUIRED COMPONENTS Xml)

fennix_core_library(fennix_converter_presets
  SOURCES
    CMMenuData.cpp
    CMMenuData.h
    ConverterGlobal.cpp
    ConverterGlobal.h
    ConverterUtilities.cpp
    ConverterUtilities.h
    ConverterXml.cpp
    ConverterXml.h
    EncFormatMgr.cpp
    EncFormatMgr.h
    EncodeParamWrapper.cpp
    EncodeParamWrapper.h
    FileLog.cpp
    FileLog.h
    FormatItem.cpp
    FormatItem.h
    IM_MediaItemExtended.cpp
    IM_MediaItemExtended.h
    MacPreferences.cpp
    MacPreferences.h
    OneModeOutputNames.cpp
    OneModeOutputNames.h
    OutputNameWatcher.cpp
    OutputNameWatcher.h
    RulePredicate.cpp
    RulePredicate.h
    SmartFitRules.cpp
    SmartFitRules.h
  LIBS fennix_vexlume fennix_platform_core fennix_scriblet fennix_converter_core Qt6::Xml)

# The preset catalogue and fitting rules are looked up as resources "Format.std" and
# "ParamterRules_Std.plist".
qt_add_resources(fennix_converter_presets "converter_presets"
  PREFIX "/"
  BASE ${FENNIX_RESOURCE_DIR}/converter
  FILES
    ${FENNIX_RESOURCE_DIR}/converter/Format.std
    ${FENNIX_RESOURCE_DIR}/converter/ParamterRules_Std.plist)

# What the pages draw of the converter: the image sheets under ":/converter/Images" and their
# manager, the media item's pictures, and the subtitle open panel with its character-set choice.
fennix_gui_library(fennix_converter_presets_gui
  SOURCES
    EncodeOpenPanel.cpp
    EncodeOpenPanel.h
    IM_MediaItemExtendedImages.cpp
    IM_MediaItemExtendedImages.h
    ImageManager.cpp
    ImageManager.h
  LIBS fennix_converter_presets)
qt_add_resources(fennix_converter_presets_gui "converter_images"
  PREFIX "/converter"
  BASE ${FENNIX_RESOURCE_DIR}/converter
  FILES
    ${FENNIX_RESOURCE_DIR}/converter/Images/ImageMgr.xml
    ${FENNIX_RESOURCE_DIR}/converter/Images/MainWnd.xml
    ${FENNIX_RESOURCE_DIR}/converter/Images/MainWnd.svg
    ${FENNIX_RESOURCE_DIR}/converter/Images/formatIcons.xml
    ${FENNIX_RESOURCE_DIR}/converter/Images/formatIcons.svg)
