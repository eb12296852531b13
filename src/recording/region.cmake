# The region recorder: its geometry and encoder settings (core).
target_sources(fennix_recording_core PRIVATE ${CMAKE_CURRENT_LIST_DIR}/CropGeometry.cpp)
target_link_libraries(fennix_recording_core PUBLIC fennix_vexlume)

# Its windows (GUI).
target_sources(fennix_recording_page PRIVATE ${CMAKE_CURRENT_LIST_DIR}/SRCropView.cpp ${CMAKE_CURRENT_LIST_DIR}/SRCaptureView.cpp)
