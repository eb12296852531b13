# The time entry control and the tool box tiles.
target_sources(fennix_controls PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/ControlTimer.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimeLabelController.cpp
  ${CMAKE_CURRENT_LIST_DIR}/TimeLabel.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ActionView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ToolItemView.cpp
)
set_property(GLOBAL APPEND PROPERTY FENNIX_GALLERY_PAGE_SOURCES ${CMAKE_CURRENT_LIST_DIR}/gallery/EntryPages.cpp)
