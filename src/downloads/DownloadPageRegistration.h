#pragma once

// Registers the Download page with the shell (tool-bar tag 0). Call once before the main
// window is made.
void registerDownloadPage();
