#pragma once

#include <QByteArray>
#include <QString>
#include <QUrl>

// Lower-case hexadecimal MD5 digests for cache file names; an empty string means "nothing".
class Md5Encrypt
{
public:
    static QString encryptString(const QString &text);
    static QString encryptData(const QByteArray &data);
    // Digest of the first sampleSize bytes (all of them when sampleSize is 0).
    static QString fileMd5(const QString &path, qint64 sampleSize);
    static QString urlMd5(const QUrl &fileUrl, qint64 sampleSize);
};
