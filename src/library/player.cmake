# The preview player window, its view and controls, the subtitle windows and the snapshot
# quality check.
fennix_gui_library(fennix_library_player
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PlayerImages.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ImageView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MTPlayerImageView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MTPlayerCarrierView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SoundSlider.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MTPlayerButton.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SliderKnob.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlaySliderBar.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MTIntelligentScreenshot.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SubtitleWndCtr.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SubtitleSettingWndCtr.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MTPreviewPlayerViewCtl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MTPreviewPlayerViewCtlPlayerIndex.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MTPreviewPlayerWndCtl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PlayTipWindowCtrl.cpp
  LIBS fennix_vexlume_player fennix_downloads_core fennix_controls fennix_shell_core fennix_platform_core fennix_scriblet)
