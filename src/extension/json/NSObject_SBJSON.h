#pragma once

#include "extension/json/SBJsonValue.h"

// The convenience writer: keys sorted and indented, the form of every file the bundle writes.
// A null string (and a log line with the trace) when the value cannot be written.
namespace NSObject_SBJSON {

QString JSONRepresentation(const SBJsonValue &value);

} // namespace NSObject_SBJSON
