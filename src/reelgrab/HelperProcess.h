#pragma once

#include <memory>

class QObject;
class QProcess;
class QVXConnection;

// Ending a download helper from the application's side, alike for a task's helper and a spare.
namespace HelperProcess {

// Stops listening to process, ends it (terminate, then kill after graceMs) and deletes it later.
void end(QProcess *process, QObject *listener, int graceMs);
// Closes the connection and releases it once the current event is handled: this may be inside
// one of the connection's own calls.
void release(std::unique_ptr<QVXConnection> connection);

} // namespace HelperProcess
