#pragma once

#include <QStringList>

// The download helper's uses, without a connection: "Swiftcarry-AudioExtract" -inFile a
// -outFile b, and "Swiftcarry-MediaCombine" (-aFiles a -vFiles v | -vFiles f1 f2 ...) -outFile b.
// Each returns the process exit code (0 when the output was written).
namespace SwiftcarryPostProcess {
int audioExtract(const QStringList &arguments);
int mediaCombine(const QStringList &arguments);
// Values following option up to the next argument that starts with "-" and is an option name.
QStringList valuesOf(const QStringList &arguments, const QString &option);
}
