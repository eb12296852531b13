#pragma once

class QMenuBar;
class QString;

// Joins the Online page and the time scheduler to the application shell: the Online page
// (tool-bar tag 4), the "TimeScheduler" options window, and at "MainWindowLoaded" the
// scheduler singleton with its check, pointed at the Download menu's "Resume All" and
// "Pause All".
void registerOnlinePage();

namespace SchedulerMenuCommands {
// Triggers the item of the "Download" menu with the given (English) title; false when either
// is missing.
bool trigger(QMenuBar *bar, const QString &itemTitle);
bool triggerInApplication(const QString &itemTitle);
} // namespace SchedulerMenuCommands
