#pragma once

#include <QList>
#include <QtGlobal>

#include <functional>

// A child process and every process below it, seen through /proc: what they hold in memory of
// their own, and a way to end them all. For children that start helpers of their own (a web
// engine's renderers), where watching the child alone would miss most of the memory.
namespace ProcessTree {

// root and its descendants, root first; empty when root is gone.
QList<qint64> members(qint64 root);

// Private memory (anonymous resident plus swapped) of root and its descendants, in bytes.
// Shared libraries and shared memory are not counted: they do not grow with what a page holds.
qint64 privateBytes(qint64 root);

// SIGKILL to every descendant, deepest first, then to root; nothing that is not below root is
// touched.
void killAll(qint64 root);

// For QProcess::setChildProcessModifier: caps each process's data segment (RLIMIT_DATA), which
// its own children inherit, so a burst faster than any watch still ends at the cap.
std::function<void()> dataLimit(qint64 bytes);

} // namespace ProcessTree
