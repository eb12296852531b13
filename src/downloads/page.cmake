# The Download page: the running-downloads list over the task queue, its rows and commands,
# the media options and paste windows, the taskbar progress and the speed-up window.
fennix_gui_library(fennix_downloads_page
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/DownloadURLRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PasteClickGuard.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DownloadContentRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ReelgrabingUI.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DockProgress.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MTDockIconContentView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TurboAminWindowCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/VideoInfosCache.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MediaOptionsWndCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PasteURLWndCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DownloadingActionViewCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ListRowView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ListPageViews.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DLoadingItemViewCtr.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DownloadingViewCtr.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MTDownloadingOptionsView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DatabaseLibraryHandoff.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DownloadViewCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DownloadFinishedNotice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DownloadPageRegistration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DownloadedActionViewCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DeleteModalWindowCtr.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DownloadedItemViewCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DownloadedRowHost.cpp
    ${CMAKE_CURRENT_LIST_DIR}/MediaLoaderWnd.cpp
    ${CMAKE_CURRENT_LIST_DIR}/IntroduceViewCtrl.cpp
  LIBS fennix_downloads_core fennix_reelgrabkit fennix_controls fennix_shell_gui fennix_shell_lookfeel
       fennix_basquire fennix_converter_presets Qt6::DBus)
# The shell's window library (message box, confirmation dialog, page registry) is defined in a
# folder that may come later or be left out of a partial build.
target_link_libraries(fennix_downloads_page PUBLIC $<$<TARGET_EXISTS:fennix_shell_app>:fennix_shell_app>)
