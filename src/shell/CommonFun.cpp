#include "shell/CommonFun.h"

#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"
#include "shell/GolobFun.h"
#include "shell/NSStringPath.h"

#include <QFile>
#include <QLocale>
#include <QRandomGenerator>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

QVariant CommonFun::mainBundleInfoForKey(const QString &key)
{
    return MainBundle::infoValue(key);
}

QString CommonFun::localLanguage()
{
    const QLocale locale;
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return {};
    return QLocale::languageToCode(locale.language()).toLower();
}

float CommonFun::randomFloatBetween(float low, float high)
{
    qint64 a = qint64(double(low) * 10000);
    qint64 b = qint64(double(high) * 10000);
    if (a == b)
        return low;
    if (a > b)
        std::swap(a, b);
    return float(double(a + qint64(QRandomGenerator::global()->bounded(quint64(b - a)))) / 10000.0);
}

QString CommonFun::samsungToSamSung(const QString &deviceName)
{
    QString out = deviceName;
    return out.replace(QLatin1String("samsung"), QLatin1String("Samsung"));
}

QString CommonFun::durationTimeToString(qint64 seconds)
{
    return QString::asprintf("%02lld:%02lld:%02lld", static_cast<long long>(seconds / 3600),
                             static_cast<long long>(seconds % 3600 / 60), static_cast<long long>(seconds % 60));
}

QString CommonFun::convertSizeToStr(qint64 bytes)
{
    if (bytes <= 0)
        return QStringLiteral("0 KB");
    const double kb = bytes / 1000.0;
    const double mb = kb / 1000.0;
    const double gb = mb / 1000.0;
    if (gb > 1.0)
        return QString::asprintf("%.2f GB", gb);
    if (mb > 1.0)
        return QString::asprintf("%.2f MB", mb);
    return QString::asprintf("%.2f KB", kb);
}

namespace {

// The name that "base(n)" candidates grow from: a trailing "(digits)" after the first
// character is dropped, so "video(3)" counts on as "video(1)", "video(2)", ...
QString unnumberedBase(const QString &base)
{
    const qsizetype open = base.lastIndexOf(QLatin1Char('('));
    if (open <= 0 || !base.endsWith(QLatin1Char(')')))
        return base;
    for (qsizetype i = open + 1; i < base.size() - 1; ++i) {
        if (base[i] < QLatin1Char('0') || base[i] > QLatin1Char('9'))
            return base;
    }
    return base.left(open);
}

QString numberedCandidate(const QString &path, int n)
{
    const QString base = unnumberedBase(NSStringPath::deletingPathExtension(NSStringPath::lastPathComponent(path)));
    const QString name = NSStringPath::appendingPathExtension(QStringLiteral("%1(%2)").arg(base).arg(n),
                                                             NSStringPath::pathExtension(path));
    return NSStringPath::appendingPathComponent(NSStringPath::deletingLastPathComponent(path), name);
}

// 0 when created, else errno.
int createExclusive(const QString &path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return errno;
    ::close(fd);
    return 0;
}

} // namespace

QString CommonFun::getUnUsedLocalFileName(const QString &path)
{
    if (!NSStringPath::pathTaken(path))
        return path;
    for (int n = 1; n <= MaxNameSuffix; ++n) {
        const QString candidate = numberedCandidate(path, n);
        if (!NSStringPath::pathTaken(candidate))
            return candidate;
    }
    return {};
}

QString CommonFun::reserveUnUsedLocalFileName(const QString &path, QString *error)
{
    if (path.isEmpty()) {
        if (error)
            *error = QStringLiteral("empty path");
        return {};
    }
    int rc = createExclusive(path);
    if (rc == 0)
        return path;
    for (int n = 1; rc == EEXIST && n <= MaxNameSuffix; ++n) {
        const QString candidate = numberedCandidate(path, n);
        rc = createExclusive(candidate);
        if (rc == 0)
            return candidate;
    }
    if (error)
        *error = rc == EEXIST ? QStringLiteral("no free name for %1").arg(path)
                              : QStringLiteral("cannot create %1: %2").arg(path, QString::fromLocal8Bit(std::strerror(rc)));
    return {};
}

QStringList CommonFun::convertAudioSupportTypes()
{
    return {QStringLiteral("ac3"), QStringLiteral("mka"), QStringLiteral("flac"), QStringLiteral("ogg"),
            QStringLiteral("ape"), QStringLiteral("mp2"), QStringLiteral("wma"),  QStringLiteral("amr"),
            QStringLiteral("mp3"), QStringLiteral("aac"), QStringLiteral("m4a"),  QStringLiteral("wav"),
            QStringLiteral("aif"), QStringLiteral("aiff"), QStringLiteral("m4r"), QStringLiteral("m4b"),
            QStringLiteral("m4p")};
}

QStringList CommonFun::convertVideoSupportTypes()
{
    return {QStringLiteral("avi"),  QStringLiteral("flv"), QStringLiteral("mpg"),  QStringLiteral("3gp"),
            QStringLiteral("3g2"),  QStringLiteral("3gpp"), QStringLiteral("ts"),  QStringLiteral("tp"),
            QStringLiteral("trp"),  QStringLiteral("m2ts"), QStringLiteral("mts"), QStringLiteral("mkv"),
            QStringLiteral("dv"),   QStringLiteral("wmv"), QStringLiteral("mod"),  QStringLiteral("asf"),
            QStringLiteral("dat"),  QStringLiteral("f4v"), QStringLiteral("vob"),  QStringLiteral("nsv"),
            QStringLiteral("rmvb"), QStringLiteral("divx"), QStringLiteral("m4v"), QStringLiteral("mov"),
            QStringLiteral("mp4"),  QStringLiteral("webm")};
}

bool CommonFun::isAudiofile(const QString &extension)
{
    return convertAudioSupportTypes().contains(extension, Qt::CaseSensitive);
}
