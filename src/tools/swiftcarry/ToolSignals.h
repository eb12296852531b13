#pragma once

#include <sys/types.h>

// The tool's ffmpeg child may be stopped (paused) when the tool is told to end, and a stopped
// process ignores SIGTERM. The tool's SIGTERM handler therefore continues and kills the child
// before the tool dies of the signal itself, so its starter still sees a death by signal.
namespace ToolSignals {
void install();
void setChild(pid_t pid);  // 0: none
}
