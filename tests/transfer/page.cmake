# The Transfer page.
fennix_add_test(transfer_page_tests
  SOURCES TransTaskCellTest.cpp TransferManagerViewCtrlTest.cpp ConnectFlowTest.cpp TransferPageTest.cpp TransferFixtures.cpp
  LIBS fennix_transfer_page Qt6::Test
  GUI
  TIMEOUT 180)
# Pictures of each state of the page, looked at by eye.
fennix_add_test(transfer_page_pictures_tests
  SOURCES TransferPagePicturesTest.cpp TransferFixtures.cpp
  LIBS fennix_transfer_page Qt6::Test
  GUI)
target_compile_definitions(transfer_page_pictures_tests PRIVATE TRANSFER_SCREENS_DIR="${CMAKE_BINARY_DIR}/transfer-screens")

# The page in the running application: the real conversion tool, the fake devices and the fake
# adb program.
fennix_add_test(transfer_page_end_to_end_tests
  SOURCES TransferPageEndToEndTest.cpp TransferFixtures.cpp
          ${PROJECT_SOURCE_DIR}/tests/devices/AdbDeviceHarness.cpp
          ${PROJECT_SOURCE_DIR}/tests/tools/swiftcarry/MediaFixtures.cpp
  LIBS fennix_transfer_page fennix_shell_app Qt6::Test
  GUI
  TIMEOUT 400)
target_include_directories(transfer_page_end_to_end_tests PRIVATE ${PROJECT_SOURCE_DIR}/tests/devices)
target_compile_definitions(transfer_page_end_to_end_tests PRIVATE FENNIX_FAKE_ADB="${PROJECT_SOURCE_DIR}/tests/devices/fake-adb.sh")
add_dependencies(transfer_page_end_to_end_tests SwiftcarryCmd)
