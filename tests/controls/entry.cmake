# The time entry control and the tool box tiles.
fennix_add_test(controls_entry_tests GUI
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TimeLabelTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ToolItemViewTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ActionReceiver.h
  LIBS fennix_controls)
