#pragma once

// Registers the "Feedback" window with the shell: the main window's Feedback button opens it.
void registerFeedbackWindow();
