#pragma once

#include <QByteArray>
#include <QJsonObject>

// Reads a rendered message back with Python's email package, an independent parser: the
// headers (decoded), the content type of the root and each leaf with its decoded payload.
// Empty when python3 is not there.
QJsonObject parseMailWithPython(const QByteArray &message);
