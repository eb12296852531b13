#include "reelgrab/Md5Encrypt.h"

#include "platform/SafeFileReader.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

QString Md5Encrypt::encryptString(const QString &text)
{
    if (text.isEmpty())
        return {};
    return encryptData(text.toUtf8());
}

QString Md5Encrypt::encryptData(const QByteArray &data)
{
    if (data.isEmpty())
        return {};
    return QString::fromLatin1(QCryptographicHash::hash(data, QCryptographicHash::Md5).toHex());
}

QString Md5Encrypt::fileMd5(const QString &path, qint64 sampleSize)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return {};
    QFile file(path);
    if (!SafeFileReader::open(file))
        return {};
    QCryptographicHash hash(QCryptographicHash::Md5);
    qint64 left = sampleSize > 0 ? sampleSize : -1;
    char buffer[64 * 1024];
    while (left != 0) {
        const qint64 want = left < 0 ? qint64(sizeof buffer) : std::min<qint64>(left, sizeof buffer);
        const qint64 got = file.read(buffer, want);
        if (got <= 0)
            break;
        hash.addData(QByteArrayView(buffer, got));
        if (left > 0)
            left -= got;
    }
    return QString::fromLatin1(hash.result().toHex());
}

QString Md5Encrypt::urlMd5(const QUrl &fileUrl, qint64 sampleSize)
{
    return fileMd5(fileUrl.toLocalFile(), sampleSize);
}
