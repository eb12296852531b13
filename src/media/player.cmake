# The preview player's media player on libmpv, drawn through mpv's render API: OpenGL widgets
# where a GL context can be made, mpv's software renderer otherwise (and always on the offscreen
# platform).
pkg_check_modules(MPV REQUIRED IMPORTED_TARGET mpv)

fennix_gui_library(fennix_vexlume_player
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/QVUltraPlayer.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QVUltraPlayer.h
    ${CMAKE_CURRENT_LIST_DIR}/QVUltraPlayerDelegate.h
    ${CMAKE_CURRENT_LIST_DIR}/QVUltraPlayerRender.h
    ${CMAKE_CURRENT_LIST_DIR}/QVUltraPlayerSoftwareView.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QVUltraPlayerSoftwareView.h
    ${CMAKE_CURRENT_LIST_DIR}/QVSubtitleStyle.h
  LIBS fennix_vexlume fennix_platform_core fennix_scriblet
  PRIVATE_LIBS PkgConfig::MPV)

target_sources(fennix_vexlume_player PRIVATE
  ${CMAKE_CURRENT_LIST_DIR}/QVUltraPlayerGLView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/QVUltraPlayerGLView.h)
target_link_libraries(fennix_vexlume_player PRIVATE Qt6::OpenGL Qt6::OpenGLWidgets)
target_compile_definitions(fennix_vexlume_player PRIVATE FENNIX_VEXLUME_PLAYER_GL)
