#pragma once

#include "media/IM_EncodeParamEx.h"

#include <QString>
#include <QVariantMap>

#include <cstddef>

class EncodeParamWrapper;

// A range of the rules: low and high bound (a single number gives both).
struct ParameterRange
{
    double low = 0;
    double high = 0;
};

namespace NSStringIntelligentParameterExtension {
// "lo,hi" or "n", each bound optionally in "(", ")", "{", "}"; false for anything else.
bool parameterRange(const QString &text, ParameterRange *range);
} // namespace NSStringIntelligentParameterExtension

// The fitting rules resource "ParamterRules_Std": read on first use and kept; a resource that
// cannot be read is reported and tried again by the next fitting.
namespace SmartFitRules {
QVariantMap rules();
// Tests point the rules at another file (empty: the built-in resource) and drop the cache.
void setRulesPathForTesting(const QString &path);
QString lastError();
} // namespace SmartFitRules

// The value text of the first rule line of list key whose conditions hold for the wrapper.
QString findRangeForKey(const EncodeParamWrapper *wrapper, const QString &key, const QVariantMap &ruleDictionary);
// videobitrate = (width x height x framerate) / (W x H x FPS) x kbps x 1000, from "W*H*FPS";
// false (block unchanged) when either side has no picture size or frame rate.
bool adjustVideoBitrateForBaseRule(IM_EncodeParamEx *block, const QString &baseGeometry, const QString &baseKbps);
void swapValue(void *a, void *b, size_t size);
