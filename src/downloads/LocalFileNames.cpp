#include "downloads/LocalFileNames.h"

#include <QFileInfo>

namespace {

bool allDigits(QStringView text)
{
    for (QChar c : text)
        if (!c.isDigit() || c.unicode() > 127)
            return false;
    return true;
}

} // namespace

QString LocalFileNames::unusedFileName(const QString &path)
{
    if (!QFileInfo::exists(path) && !QFileInfo(path).isSymLink())
        return path;
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const QString folder = slash < 0 ? QString() : path.left(slash + 1);
    const QString name = path.mid(slash + 1);
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    QString base = dot > 0 ? name.left(dot) : name;
    const QString ext = dot > 0 ? name.mid(dot) : QString();

    const qsizetype open = base.lastIndexOf(QLatin1Char('('));
    if (open > 0 && base.endsWith(QLatin1Char(')'))
        && allDigits(QStringView(base).mid(open + 1, base.size() - open - 2)))
        base.truncate(open);

    for (int n = 1;; ++n) {
        const QString candidate = folder + base + QStringLiteral("(%1)").arg(n) + ext;
        if (!QFileInfo::exists(candidate) && !QFileInfo(candidate).isSymLink())
            return candidate;
    }
}
