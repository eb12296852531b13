# The region recorder: geometry and encoder settings.
fennix_add_test(recording_region_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CropGeometryTest.cpp
  LIBS fennix_recording_core)

if(TARGET fennix_recording_page)
  fennix_add_test(recording_region_page_tests GUI
    SOURCES ${CMAKE_CURRENT_LIST_DIR}/SRCropViewTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SRCaptureViewTest.cpp
    LIBS fennix_recording_page Qt6::Test)
endif()
