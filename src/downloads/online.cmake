# The time scheduler's headless logic: schedule lists, the check and what its systemd user
# timer is given.
fennix_core_library(fennix_scheduler_core
  SOURCES
    TimeSchedulerManager.cpp
    TimeSchedulerManager.h
  LIBS fennix_platform_core fennix_scriblet)

# The Online page (browser and favourites grid) and the scheduler's windows.
fennix_gui_library(fennix_downloads_online
  SOURCES
    AddNewSiteWinCtrl.cpp
    AddNewSiteWinCtrl.h
    NavSiteViewCtrl.cpp
    NavSiteViewCtrl.h
    OnlineRegistration.cpp
    OnlineRegistration.h
    OnlineViewCtrl.cpp
    OnlineViewCtrl.h
    OnlineWebViewCtrl.cpp
    OnlineWebViewCtrl.h
    SiteNodeData.cpp
    SiteNodeData.h
    SiteNodeView.cpp
    SiteNodeView.h
    SitesNodeManager.cpp
    SitesNodeManager.h
    SiteViewCtrl.cpp
    SiteViewCtrl.h
    TimeLabelFormatter.cpp
    TimeLabelFormatter.h
    TimeSchedulerOptionWinCtrl.cpp
    TimeSchedulerOptionWinCtrl.h
  LIBS fennix_scheduler_core fennix_shell_app fennix_controls Qt6::WebEngineWidgets)
# The default site list and our page script, compiled in (":/NavSites.plist").
qt_add_resources(fennix_downloads_online "online"
  PREFIX "/"
  BASE ${FENNIX_RESOURCE_DIR}/online
  FILES ${FENNIX_RESOURCE_DIR}/online/NavSites.plist ${FENNIX_RESOURCE_DIR}/online/EmbededButton.js)
