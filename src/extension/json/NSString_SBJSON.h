#pragma once

#include "extension/json/SBJsonValue.h"

#include <optional>

// The convenience readers: a fresh parser per call; a failure is logged with its trace.
namespace NSString_SBJSON {

std::optional<SBJsonValue> JSONValue(const QString &text);
std::optional<SBJsonValue> JSONValue(const QByteArray &utf8);

} // namespace NSString_SBJSON
