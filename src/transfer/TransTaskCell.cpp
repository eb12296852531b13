#include "transfer/TransTaskCell.h"

#include "downloads/FileInfoItem.h"
#include "platform/SafeFileReader.h"
#include "shell/GolobFun.h"
#include "shell/GolobFunDesktop.h"
#include "transfer/NSStringTruncating.h"

#include <QApplication>
#include <QFileInfo>
#include <QFontMetricsF>
#include <QFile>
#include <QImageReader>
#include <QPainter>

#include <memory>

namespace {

// Room the icon and the margins take from the cell's width.
constexpr qreal IconRoom = 32;
constexpr qreal NameX = 35;

} // namespace

QFont TransTaskCell::nameFont()
{
    QFont font = QApplication::font();
    font.setPointSizeF(12);
    return font;
}

bool TransTaskCell::isStringInSize(const QString &text, qreal width)
{
    return QFontMetricsF(nameFont()).horizontalAdvance(text) > width;
}

QString TransTaskCell::displayName(const QString &filePath, qreal cellWidth)
{
    const QString name = QFileInfo(filePath).fileName();
    const qreal room = cellWidth - IconRoom - NameX;
    QString shown = NSStringTruncating::stringByTruncatingMiddleToLength(name, 50, false);
    if (isStringInSize(shown, room))
        shown = NSStringTruncating::stringByTruncatingMiddleToLength(name, 40, false);
    if (isStringInSize(shown, room))
        shown = NSStringTruncating::stringByTruncatingMiddleToLength(name, 30, false);
    return shown;
}

QImage TransTaskCell::iconFor(const QString &iconPath)
{
    QImage icon;
    QFile file(iconPath);
    if (!iconPath.isEmpty() && SafeFileReader::open(file)) {
        QImageReader reader(&file);
        // A site icon is small; a huge or broken file is not worth decoding for 20 points.
        if (reader.size().isValid() && reader.size().width() <= 4096 && reader.size().height() <= 4096)
            icon = reader.read();
    }
    return icon.isNull() ? GolobFunDesktop::defaultWebIcon() : icon;
}

void TransTaskCell::paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const
{
    const auto object = index.data(ObjectRole).value<std::shared_ptr<FileInfoItem>>();
    if (!object)
        return;
    const QRect frame = option.rect;
    painter->save();
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    const QImage icon = iconFor(object->iconFilePath());
    if (!icon.isNull())
        painter->drawImage(QRectF(frame.x() + 10, frame.y() + 11, 20, 20), icon);
    painter->setFont(nameFont());
    painter->setPen(QColor(Qt::black));
    const QString name = displayName(object->filePath(), frame.width());
    const QFontMetricsF metrics(painter->font());
    painter->setClipRect(frame);
    painter->drawText(QPointF(frame.x() + NameX, frame.y() + 14 + metrics.ascent()), name);
    painter->restore();
}

QSize TransTaskCell::sizeHint(const QStyleOptionViewItem &option, const QModelIndex &) const
{
    return QSize(option.rect.width(), RowHeight);
}
