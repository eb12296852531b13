#pragma once

#include <QString>

// Log lines of the controls go to the application's levelled log.
namespace ControlLog {
void info(const QString &text);
}
