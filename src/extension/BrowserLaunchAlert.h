#pragma once

class BrowserExtensionManager;

// Tells the user why a browser the pages started ended at once (a message box with the
// browser's own words). One alert per manager, however many pages show it.
class BrowserLaunchAlert
{
public:
    static void watch(BrowserExtensionManager *manager);
};
