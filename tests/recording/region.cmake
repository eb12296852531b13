# The region recorder: geometry and encoder settings.
fennix_add_test(recording_region_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CropGeometryTest.cpp
  LIBS fennix_recording_core)
