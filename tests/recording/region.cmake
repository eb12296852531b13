# The region recorder: geometry and encoder settings.
fennix_add_test(recording_region_tests
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/CropGeometryTest.cpp
  LIBS fennix_recording_core)

fennix_add_test(recording_region_page_tests GUI TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/SRCropViewTest.cpp ${CMAKE_CURRENT_LIST_DIR}/SRCaptureViewTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/ScreenRecordWndCtrTest.cpp ${CMAKE_CURRENT_LIST_DIR}/GlobalHotKeyTest.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PrivateXServer.cpp ${CMAKE_CURRENT_LIST_DIR}/RegionScreensTest.cpp
  LIBS fennix_recording_page PkgConfig::REGION_XCB Qt6::Test)
target_compile_definitions(recording_region_page_tests PRIVATE RECORD_SCREENS_DIR="${CMAKE_BINARY_DIR}/record-screens")
# The capture tool's stand-in: the protocol without the capture.
add_executable(fennix_fake_glintcap ${CMAKE_CURRENT_LIST_DIR}/FakeGlintcap.cpp)
target_link_libraries(fennix_fake_glintcap PRIVATE fennix_recording_core)
add_dependencies(recording_region_page_tests fennix_fake_glintcap)
target_compile_definitions(recording_region_page_tests PRIVATE FAKE_GLINTCAP_PROGRAM="$<TARGET_FILE:fennix_fake_glintcap>")

# The capture tool: its rules, and real takes under a private X server.
fennix_add_test(recording_glintcap_tests TIMEOUT 180
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/GlintcapTest.cpp ${CMAKE_CURRENT_LIST_DIR}/CaptureServers.cpp ${CMAKE_CURRENT_LIST_DIR}/MediaProbe.cpp
          ${CMAKE_CURRENT_LIST_DIR}/PrivateSoundServer.cpp ${CMAKE_CURRENT_LIST_DIR}/PrivateXServer.cpp
  LIBS fennix_recording_core fennix_capvane_core)
add_dependencies(recording_glintcap_tests Glintcap)
target_compile_definitions(recording_glintcap_tests PRIVATE GLINTCAP_PROGRAM="$<TARGET_FILE:Glintcap>")

# "Record a region…" on the Record page, with the stand-in tool.
add_dependencies(recording_page_tests fennix_fake_glintcap)
target_compile_definitions(recording_page_tests PRIVATE FAKE_GLINTCAP_PROGRAM="$<TARGET_FILE:fennix_fake_glintcap>")

# A region take on the page with the real capture tool.
add_dependencies(recording_end_to_end_tests Glintcap)
target_compile_definitions(recording_end_to_end_tests PRIVATE GLINTCAP_PROGRAM="$<TARGET_FILE:Glintcap>")

# The region overlay on a private desktop (window manager, with and without a compositor):
# a driver program makes the take on that display.
add_executable(fennix_region_take_driver ${CMAKE_CURRENT_LIST_DIR}/RegionTakeDriver.cpp)
target_link_libraries(fennix_region_take_driver PRIVATE fennix_recording_page)
fennix_add_test(recording_region_overlay_tests TIMEOUT 300
  SOURCES ${CMAKE_CURRENT_LIST_DIR}/RegionOverlayTakeTest.cpp ${CMAKE_CURRENT_LIST_DIR}/PrivateXServer.cpp ${CMAKE_CURRENT_LIST_DIR}/MediaProbe.cpp
  LIBS PkgConfig::REGION_XCB Qt6::Core)
add_dependencies(recording_region_overlay_tests fennix_region_take_driver Glintcap)
target_compile_definitions(recording_region_overlay_tests PRIVATE REGION_TAKE_DRIVER="$<TARGET_FILE:fennix_region_take_driver>"
  GLINTCAP_PROGRAM="$<TARGET_FILE:Glintcap>" RECORD_SCREENS_DIR="${CMAKE_BINARY_DIR}/record-screens")
