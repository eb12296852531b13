#pragma once

// Registers the preferences, About and supported-sites windows with the application shell.
void registerShellWindows();
