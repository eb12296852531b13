# Pop-overs, hand-made menus, tips, flying pictures, progress and animation views.
fennix_add_test(controls_popover_tests GUI
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/PopoverGeometryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/PopoverWidgetsTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ActionReceiver.h
    ${CMAKE_CURRENT_LIST_DIR}/AnimationViewsTest.cpp
  LIBS fennix_controls fennix_shell_lookfeel)
