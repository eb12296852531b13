# The socket transport: shared by the helper, the task client and the screen recorder's server.
fennix_core_library(fennix_rmi
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/RmiSockets.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QVRmiConnection.cpp
  LIBS fennix_platform)
