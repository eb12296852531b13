#pragma once

// Registers the Convert page with the shell (tool-bar tag 2) and gives the Download page's
// "Download then Convert" switch the output-format sheet. Call once before the main window is
// made.
void registerConverterPage();
