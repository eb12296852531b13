#pragma once

// Registers the Transfer page with the shell (tool-bar tag 3) and starts listening for devices
// once the main window has loaded. Call once before the main window is made.
void registerTransferPage();
