#pragma once

#include <functional>
#include <memory>

class FormatSheetHandoff;
class LibraryHandoff;
class QWidget;

// Registers the Download page with the shell (tool-bar tag 0). Call once before the main
// window is made.
void registerDownloadPage();

// Makes the library tab's page; without one, finished downloads are only stored. Set before
// the page is made (the program sets the library page here, which lives in a folder that
// builds on this one).
void setLibraryPageFactory(std::function<std::unique_ptr<LibraryHandoff>()> factory);

// Makes the output-format sheet that the "Download then Convert" switch opens, as a child of
// parent (the converter's sheet; set by the program, which links both). Without one the switch
// cannot be turned on.
void setFormatSheetFactory(std::function<FormatSheetHandoff *(QWidget *parent)> factory);
// A new sheet from the factory, or null when none is set.
FormatSheetHandoff *makeFormatSheet(QWidget *parent);
