#pragma once

#include "reelgrab/JKSerializer.h"
#include "reelgrab/JSONDecoder.h"

#include <QByteArray>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

// One-call forms of the decoder and the encoder; each call uses a decoder of its own.

namespace NSStringJSONKitDeserializing {
QVariant objectFromJSONString(const QString &text, quint32 parseOptions = 0, JSONError *error = nullptr);
QVariant mutableObjectFromJSONString(const QString &text, quint32 parseOptions = 0, JSONError *error = nullptr);
} // namespace NSStringJSONKitDeserializing

namespace NSDataJSONKitDeserializing {
QVariant objectFromJSONData(const QByteArray &data, quint32 parseOptions = 0, JSONError *error = nullptr);
QVariant mutableObjectFromJSONData(const QByteArray &data, quint32 parseOptions = 0, JSONError *error = nullptr);
} // namespace NSDataJSONKitDeserializing

namespace NSStringJSONKitSerializing {
QByteArray JSONData(const QString &text);
QByteArray JSONDataWithOptions(const QString &text, quint32 options, bool includeQuotes, JSONError *error = nullptr);
QString JSONString(const QString &text);
QString JSONStringWithOptions(const QString &text, quint32 options, bool includeQuotes, JSONError *error = nullptr);
} // namespace NSStringJSONKitSerializing

namespace NSArrayJSONKitSerializing {
QByteArray JSONData(const QVariantList &array);
QByteArray JSONDataWithOptions(const QVariantList &array, quint32 options, JSONError *error = nullptr);
QByteArray JSONDataWithOptions(const QVariantList &array, quint32 options, QObject *delegate, const char *selector,
                               JSONError *error = nullptr);
QByteArray JSONDataWithOptions(const QVariantList &array, quint32 options, const JKSerializer::UnsupportedBlock &block,
                               JSONError *error = nullptr);
QString JSONString(const QVariantList &array);
QString JSONStringWithOptions(const QVariantList &array, quint32 options, JSONError *error = nullptr);
QString JSONStringWithOptions(const QVariantList &array, quint32 options, QObject *delegate, const char *selector,
                              JSONError *error = nullptr);
QString JSONStringWithOptions(const QVariantList &array, quint32 options, const JKSerializer::UnsupportedBlock &block,
                              JSONError *error = nullptr);
} // namespace NSArrayJSONKitSerializing

namespace NSDictionaryJSONKitSerializing {
QByteArray JSONData(const QVariantMap &dictionary);
QByteArray JSONDataWithOptions(const QVariantMap &dictionary, quint32 options, JSONError *error = nullptr);
QByteArray JSONDataWithOptions(const QVariantMap &dictionary, quint32 options, QObject *delegate, const char *selector,
                               JSONError *error = nullptr);
QByteArray JSONDataWithOptions(const QVariantMap &dictionary, quint32 options,
                               const JKSerializer::UnsupportedBlock &block, JSONError *error = nullptr);
QString JSONString(const QVariantMap &dictionary);
QString JSONStringWithOptions(const QVariantMap &dictionary, quint32 options, JSONError *error = nullptr);
QString JSONStringWithOptions(const QVariantMap &dictionary, quint32 options, QObject *delegate, const char *selector,
                              JSONError *error = nullptr);
QString JSONStringWithOptions(const QVariantMap &dictionary, quint32 options,
                              const JKSerializer::UnsupportedBlock &block, JSONError *error = nullptr);
} // namespace NSDictionaryJSONKitSerializing
