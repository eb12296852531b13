#pragma once

#include <QString>

#include <functional>

// Every test process gets a private home: HOME and the XDG folders point into a
// temporary folder made before the application object exists, so tests never
// touch the real user's settings and parallel tests never share files.
namespace TestEnvironment {

void setUp();
QString home();
QString runtimeDir();

// Spins the event loop until pred() holds or timeoutMs passes; returns pred().
bool waitFor(const std::function<bool()> &pred, int timeoutMs = 5000);

} // namespace TestEnvironment
