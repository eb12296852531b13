# The Transfer page.
if(TARGET fennix_transfer_page)
  fennix_add_test(transfer_page_tests
    SOURCES TransTaskCellTest.cpp TransferManagerViewCtrlTest.cpp ConnectFlowTest.cpp TransferPageTest.cpp TransferFixtures.cpp
    LIBS fennix_transfer_page Qt6::Test
    GUI
    TIMEOUT 180)
endif()
