#include "tools/capvane/GlintcapProtocol.h"

#include "platform/KeyedArchiver.h"
#include "platform/MainBundle.h"

#include <cmath>

namespace GlintcapProtocol {

QString connectionName(qint64 processId, double seconds)
{
    QString id = MainBundle::infoString(QStringLiteral("CFBundleIdentifier"));
    if (id.isEmpty())
        id = QStringLiteral("com.iquenmark.fennixpro");
    return QStringLiteral("%1:%2%3").arg(id).arg(processId).arg(seconds, 0, 'f', 6);
}

QString toolRootName(const QString &connectionName) { return connectionName + QStringLiteral("-Glintcap"); }

QByteArray archiveRect(const QRectF &rect)
{
    KeyedArchiver a;
    a.encodeDouble(QStringLiteral("x"), rect.x());
    a.encodeDouble(QStringLiteral("y"), rect.y());
    a.encodeDouble(QStringLiteral("width"), rect.width());
    a.encodeDouble(QStringLiteral("height"), rect.height());
    return a.archivedData();
}

QRectF unarchiveRect(const QByteArray &data)
{
    KeyedUnarchiver u(data);
    if (!u.isValid())
        return {};
    const char *keys[] = {"x", "y", "width", "height"};
    double v[4];
    for (int i = 0; i < 4; ++i) {
        if (!u.containsKey(QLatin1String(keys[i])))
            return {};
        v[i] = u.decodeDouble(QLatin1String(keys[i]));
        // Screens are far smaller than this; anything larger is garbage, not a rectangle.
        if (!std::isfinite(v[i]) || std::abs(v[i]) > 1e6)
            return {};
    }
    if (v[2] <= 0 || v[3] <= 0)
        return {};
    return QRectF(v[0], v[1], v[2], v[3]);
}

} // namespace GlintcapProtocol
