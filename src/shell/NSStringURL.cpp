#include "shell/NSStringURL.h"

#include <QStringList>
#include <QUrl>

namespace NSStringURL {

namespace {

const QStringList &schemes()
{
    static const QStringList list = {
        QStringLiteral("http://"),   QStringLiteral("https://"), QStringLiteral("ftp://"),
        QStringLiteral("smtp://"),   QStringLiteral("telnet://"), QStringLiteral("pop3://"),
        QStringLiteral("file://"),
    };
    return list;
}

const QStringList &validSuffixes()
{
    static const QStringList list = {
        QStringLiteral("com"),   QStringLiteral("edu"),   QStringLiteral("gov"),   QStringLiteral("int"),
        QStringLiteral("mil"),   QStringLiteral("net"),   QStringLiteral("org"),   QStringLiteral("biz"),
        QStringLiteral("info"),  QStringLiteral("tv"),    QStringLiteral("pro"),   QStringLiteral("name"),
        QStringLiteral("museum"), QStringLiteral("coop"), QStringLiteral("aero"),  QStringLiteral("xxx"),
        QStringLiteral("idv"),   QStringLiteral("top"),   QStringLiteral("cn"),    QStringLiteral("hk"),
        QStringLiteral("travel"), QStringLiteral("uk"),   QStringLiteral("us"),    QStringLiteral("tw"),
        QStringLiteral("th"),    QStringLiteral("jp"),    QStringLiteral("ca"),    QStringLiteral("de"),
        QStringLiteral("es"),    QStringLiteral("fr"),    QStringLiteral("pt"),    QStringLiteral("it"),
        QStringLiteral("html"),  QStringLiteral("php"),   QStringLiteral("jps"),   QStringLiteral("shtml"),
        QStringLiteral("asp"),
    };
    return list;
}

} // namespace

QString encodeURI(const QString &s)
{
    // Everything but the unreserved "-._~" and alphanumerics is escaped.
    return QString::fromLatin1(QUrl::toPercentEncoding(s));
}

QString decodeURL(const QString &s)
{
    QString plus = s;
    plus.replace(QLatin1Char('+'), QLatin1Char(' '));
    return QUrl::fromPercentEncoding(plus.toUtf8());
}

bool isValidURL(const QString &s)
{
    const QString lower = s.trimmed().toLower();
    for (const QString &scheme : schemes()) {
        if (lower.startsWith(scheme))
            return true;
    }
    const QStringList parts = s.split(QLatin1Char('.'));
    return parts.size() >= 2 && validSuffixes().contains(parts.last());
}

QString httpURL(const QString &s)
{
    QString out = s;
    if (!s.startsWith(QLatin1String("http://"), Qt::CaseInsensitive)
        && !s.startsWith(QLatin1String("https://"), Qt::CaseInsensitive)
        && !s.startsWith(QLatin1String("file://"), Qt::CaseInsensitive))
        out = QStringLiteral("http://%1/").arg(s);
    if (!out.endsWith(QLatin1Char('/')))
        out.append(QLatin1Char('/'));
    return out;
}

QString UTF8URL(const QString &s)
{
    // Characters that may stand in an address keep their meaning; "%" is escaped like the rest.
    return QString::fromLatin1(QUrl::toPercentEncoding(s, QByteArrayLiteral("!*'();:@&=+$,/?#[]")));
}

QString trimURL(const QString &s)
{
    QString out = s;
    out.remove(QLatin1Char(' '));
    return out;
}

QString urlTitle(const QString &s)
{
    const QStringList parts = removeHttpPrefix(s).split(QLatin1Char('.'));
    if (parts.size() == 1)
        return s;
    return parts.at(parts.size() - 2);
}

QString urlDomain(const QString &s)
{
    const QString lower = s.toLower();
    for (const QString &scheme : schemes()) {
        if (lower.startsWith(scheme)) {
            const QString rest = s.mid(scheme.size());
            return scheme + rest.section(QLatin1Char('/'), 0, 0);
        }
    }
    return lower.section(QLatin1Char('/'), 0, 0);
}

QString removeHttpPrefix(const QString &s)
{
    if (s.startsWith(QLatin1String("http://")))
        return s.mid(7);
    if (s.startsWith(QLatin1String("https://")))
        return s.mid(8);
    return s;
}

bool urlCompare(const QString &s, const QString &other)
{
    if (other.isNull())
        return false;
    return removeHttpPrefix(httpURL(s)).toLower() == removeHttpPrefix(httpURL(other)).toLower();
}

bool isFirstDomain(const QString &s)
{
    const QStringList parts = removeHttpPrefix(s).split(QLatin1Char('/'));
    if (parts.size() < 2)
        return true;
    if (parts.size() > 2)
        return false;
    return parts.at(1).size() < 6;
}

} // namespace NSStringURL
