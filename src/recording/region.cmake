# The region recorder: its geometry and encoder settings (core).
# The capture tool's protocol sits with the tool's sources but is built here: the recorder and
# the tool both link this library, and the tool's folder comes after this one.
target_sources(fennix_recording_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CropGeometry.cpp
  ${CMAKE_CURRENT_LIST_DIR}/../tools/capvane/GlintcapProtocol.cpp)
target_link_libraries(fennix_recording_core PUBLIC fennix_vexlume)

# Its windows, its controller and the X11 stop key (GUI).
pkg_check_modules(REGION_XCB REQUIRED IMPORTED_TARGET GLOBAL xcb)
target_sources(fennix_recording_page PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SRCropView.cpp ${CMAKE_CURRENT_LIST_DIR}/SRCaptureView.cpp
  ${CMAKE_CURRENT_LIST_DIR}/GlobalHotKey.cpp ${CMAKE_CURRENT_LIST_DIR}/ScreenRecordWndCtr.cpp)
target_link_libraries(fennix_recording_page PRIVATE PkgConfig::REGION_XCB)
