#include "shell/GolobFunDesktop.h"

#include "platform/MainBundle.h"

namespace {

QImage bundleImage(const char *name)
{
    for (const char *type : {"png", "tiff", "jpg"}) {
        const QString path = MainBundle::pathForResource(QString::fromLatin1(name), QString::fromLatin1(type));
        if (!path.isEmpty()) {
            QImage image(path);
            if (!image.isNull())
                return image;
        }
    }
    return {};
}

} // namespace

QColor GolobFunDesktop::colorWithHexString(const QString &hex)
{
    QString s = hex.trimmed().toUpper();
    if (s.size() >= 6) {
        if (s.startsWith(QLatin1String("0X")))
            s = s.mid(2);
        else if (s.startsWith(QLatin1Char('#')))
            s = s.mid(1);
    }
    if (s.size() != 6)
        return QColor(Qt::white);
    int rgb[3];
    for (int i = 0; i < 3; ++i) {
        bool ok = false;
        rgb[i] = s.mid(i * 2, 2).toInt(&ok, 16);
        if (!ok)
            rgb[i] = 0;
    }
    // QColor's integer form takes 0-255 per component.
    return QColor(rgb[0], rgb[1], rgb[2]);
}

QImage GolobFunDesktop::defaultThumbnail()
{
    static const QImage image = bundleImage("defaultThumbnail");
    return image;
}

QImage GolobFunDesktop::defaultWebIcon()
{
    static const QImage image = bundleImage("defaultWebIcon");
    return image;
}
