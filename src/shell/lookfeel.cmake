# Look and feel: UIManager and UIStyle over the slice sheets (included by this folder's CMakeLists.txt).
# fennix_controls is defined after the shell folder; CMake resolves the name when it generates.
fennix_gui_library(fennix_shell_lookfeel
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/UIManager.cpp
    ${CMAKE_CURRENT_LIST_DIR}/UIStyle.cpp
  LIBS fennix_controls fennix_basquire fennix_platform_core)
