# The preferences window and the small windows (About, supported sites, what's new, offer).
fennix_gui_library(fennix_shell_windows
  SOURCES
    AboutWindowCtrl.cpp
    AboutWindowCtrl.h
    BrowserHandOffPage.cpp
    BrowserHandOffPage.h
    MTSupportedSitesDefaultWndCtr.cpp
    MTSupportedSitesDefaultWndCtr.h
    PreferenceWndCtr.cpp
    PreferenceWndCtr.h
    ShellWindows.cpp
    ShellWindows.h
    VsWndCtr.cpp
    VsWndCtr.h
    WelcomeWindowCtrl.cpp
    WelcomeWindowCtrl.h
  LIBS fennix_shell_app fennix_controls Qt6::WebEngineWidgets)
# Our supported-sites page, compiled in (":/MTSupportedSites.html").
qt_add_resources(fennix_shell_windows "shellwindows"
  PREFIX "/"
  BASE ${FENNIX_RESOURCE_DIR}/shell-windows
  FILES ${FENNIX_RESOURCE_DIR}/shell-windows/MTSupportedSites.html)
