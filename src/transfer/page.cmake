# The Transfer page: the device connection flow, the device page with its waiting banner and
# pop-up, and the transfer list with its waiting rows.
fennix_gui_library(fennix_transfer_page
  SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TransTaskCell.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TransferManagerViewCtrl.cpp
  LIBS fennix_transfer_core fennix_downloads_page fennix_library_core fennix_library_player fennix_converter_core
       fennix_controls fennix_shell_app fennix_shell_lookfeel fennix_shell_core fennix_kelvra fennix_platform fennix_scriblet)
