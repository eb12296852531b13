# The library page: finished downloads with play-list groups, sorting and search, the item
# actions and the download-then-convert queue.
set(_library_page_sources
  ${CMAKE_CURRENT_LIST_DIR}/LibrarySearchFilter.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DownloadedViewCtrl.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DownloadedViewCtrlSorting.cpp
  ${CMAKE_CURRENT_LIST_DIR}/LibraryFollowUpServices.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DownloadedViewCtrlItemActions.cpp
  ${CMAKE_CURRENT_LIST_DIR}/DownloadedViewCtrlConvertMode.cpp)
fennix_gui_library(fennix_library_page
  SOURCES ${_library_page_sources}
  LIBS fennix_downloads_page fennix_library_core fennix_library_player fennix_converter_core
       fennix_controls fennix_platform_core fennix_scriblet)
