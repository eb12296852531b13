#pragma once

#include <QString>

class QVReelgrabTask;

// Every archived field of a task, one "name=value" line each, nested records included; two
// tasks are equal field by field when their dumps are equal.
QString dumpTask(const QVReelgrabTask &task);
