#pragma once

// Downloads that start but never move: each task runs the fake helper (where the build has
// one) in its silent mode, one download at a time.
namespace SilentReelgrab {

void use();
// Back to the real helper.
void release();

} // namespace SilentReelgrab
