# Item actions of the library (rename, delete, menu rules), the names and stored choice of
# download-then-convert, and the music-library hand-off.
fennix_core_library(fennix_library_actions
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/LibraryRename.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LibraryRename.h
    ${CMAKE_CURRENT_LIST_DIR}/LibraryDelete.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LibraryDelete.h
    ${CMAKE_CURRENT_LIST_DIR}/LibraryMenuRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LibraryMenuRules.h
    ${CMAKE_CURRENT_LIST_DIR}/OneModeConvertSetting.cpp
    ${CMAKE_CURRENT_LIST_DIR}/OneModeConvertSetting.h
    ${CMAKE_CURRENT_LIST_DIR}/ITunesHelper.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ITunesHelper.h
    ${CMAKE_CURRENT_LIST_DIR}/iTunesAppInterface.cpp
    ${CMAKE_CURRENT_LIST_DIR}/iTunesAppInterface.h
    ${CMAKE_CURRENT_LIST_DIR}/LibraryItemStatistics.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LibraryItemStatistics.h
  LIBS fennix_downloads_core fennix_vexlume fennix_kelvra fennix_platform_core fennix_scriblet)
# The buckets of the finished-item statistics.
qt_add_resources(fennix_library_actions "library_statistics"
  PREFIX "/"
  BASE ${FENNIX_RESOURCE_DIR}/library
  FILES ${FENNIX_RESOURCE_DIR}/library/CBSHelper_TimeLength.plist
        ${FENNIX_RESOURCE_DIR}/library/CBSHeiper_VideoSize.plist
        ${FENNIX_RESOURCE_DIR}/library/CBSHelper_VideoResolution.plist)

# The library page's item actions and download-then-convert use these.
target_link_libraries(fennix_library_page PUBLIC fennix_library_actions)
