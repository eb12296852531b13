# Pop-overs, hand-made menus, tips, flying pictures, progress and animation views.
target_sources(fennix_controls PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/PopoverGeometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ColorHex.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AppImages.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MAAttachedWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ShowTipMessage.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditMenuItem.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditMenuBgView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/EditMenu.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MenuItemView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/SuggestionWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MTArrowPopView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MTPopUpButtonCell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MTThreePartButton.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ATPopupWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FullScreenWindows.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AddToTaskAnimationWnd.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AddTaskAnimationWindow.cpp
  ${CMAKE_CURRENT_LIST_DIR}/FrameAnimator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MGProgressIndicator.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgressIndicatorCell.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgressIndicatorView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ProgressBarView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/MGAnimationView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/AddToAnimationView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/ImageAnimationView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CircleImageView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/CircleAnimationView.cpp
)

