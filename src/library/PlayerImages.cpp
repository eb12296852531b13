#include "library/PlayerImages.h"

#include "controls/ControlSlices.h"
#include "platform/MainBundle.h"

namespace PlayerImages {

QString sliceName(const QString &name)
{
    QString n = name;
    if (n.endsWith(QLatin1String(".png"), Qt::CaseInsensitive))
        n.chop(4);
    return n;
}

QImage named(const QString &name)
{
    const QString n = sliceName(name);
    if (n.isEmpty())
        return {};
    const QString path = MainBundle::pathForResource(n, QStringLiteral("png"));
    if (!path.isEmpty()) {
        QImage img(path);
        if (!img.isNull())
            return img;
    }
    return ControlSlices::image(n, Sheet);
}

} // namespace PlayerImages
