#pragma once

// The page engine (QtWebEngine) cannot start its sandbox for root, and its refusal ends the
// whole process. Every program that shows or loads pages calls this before the engine's first
// object exists.
class WebEngineSandbox
{
public:
    // As root, turns the engine's sandbox off for this process (QTWEBENGINE_DISABLE_SANDBOX);
    // true when this call did so, so the caller logs it once. Nothing changes for other users
    // or when the switch is already set.
    static bool disableForRoot();
    // What the caller logs when disableForRoot() answered true.
    static const char *logLine();
};
