#pragma once

// Registers the Record page with the shell (tool-bar tag 1) and gives the application menu's
// "Uninstall Virtual Sound Card" its state and action. Call once before the main window is made.
void registerRecordPage();
