# The Transfer page: the device connection flow, the device page with its waiting banner and
# pop-up, and the transfer list with its waiting rows.
fennix_gui_library(fennix_transfer_page
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/ConnectFailedViewCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConnectManagerViewCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConnectViewParts.cpp
    ${CMAKE_CURRENT_LIST_DIR}/ConnectingViewCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/StartConnectViewCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TransTaskCell.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TransferDeviceListener.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TransferHelpPage.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TransferManagerViewCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TransferPageRegistration.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TransferViewCtrl.cpp
    ${CMAKE_CURRENT_LIST_DIR}/USBDebugViewCtrl.cpp
  LIBS fennix_transfer_core fennix_downloads_page fennix_library_core fennix_library_player fennix_converter_core
       fennix_controls fennix_shell_app fennix_shell_lookfeel fennix_shell_core fennix_kelvra fennix_platform fennix_scriblet)

# The help pages the connection flow links to, compiled in (":/transfer-help/…").
qt_add_resources(fennix_transfer_page "transferhelp"
  PREFIX "/"
  BASE ${FENNIX_RESOURCE_DIR}
  FILES ${FENNIX_RESOURCE_DIR}/transfer-help/connect-faq.html
        ${FENNIX_RESOURCE_DIR}/transfer-help/faq.html
        ${FENNIX_RESOURCE_DIR}/transfer-help/support.html)
