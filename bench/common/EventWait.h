#pragma once

#include <functional>

// Waiting in a benchmark without spinning a core while it measures: the thread sleeps until
// an event arrives (or a coarse wake-up, for conditions other threads change without one).
namespace EventWait {

// Processes events until done() holds or timeoutMs has passed; returns done().
bool until(const std::function<bool()> &done, int timeoutMs);

// Processes events for ms milliseconds.
void pause(int ms);

} // namespace EventWait
