#pragma once

#include <functional>
#include <memory>

class LibraryHandoff;

// Registers the Download page with the shell (tool-bar tag 0). Call once before the main
// window is made.
void registerDownloadPage();

// Makes the library tab's page; without one, finished downloads are only stored. Set before
// the page is made (the program sets the library page here, which lives in a folder that
// builds on this one).
void setLibraryPageFactory(std::function<std::unique_ptr<LibraryHandoff>()> factory);
