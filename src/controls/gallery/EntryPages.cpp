// The time entry control and the tool box tiles in the controls gallery.
#include "controls/TimeLabel.h"
#include "controls/ToolItemView.h"
#include "controls/gallery/GalleryBook.h"

#include <QApplication>
#include <QEnterEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>

namespace {

void timeLabels(GalleryBook &book)
{
    const QString c = QStringLiteral("TimeLabel");
    struct State { const char *name; double time; bool editable; };
    const State states[] = {
        {"zero-editable", 0, true},
        {"1h-2m-5s-editable", 3725.4, true},
        {"longest-editable", 359999, true},
        {"read-only", 754, false},
    };
    for (const State &s : states) {
        book.shoot(c, QLatin1String(s.name), new TimeLabel, QSize(110, 25), [s](QWidget *w) {
            auto *l = static_cast<TimeLabel *>(w);
            l->setTime(s.time);
            l->setEditable(s.editable);
        });
    }
    book.finishCard(c);
}

// A stand-in site icon: a disc with a letter.
QImage siteIcon(const QColor &colour, const QString &letter)
{
    QImage img(32, 32, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    QPainter p(&img);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawEllipse(QRectF(1, 1, 30, 30));
    QFont f;
    f.setPixelSize(18);
    f.setBold(true);
    p.setFont(f);
    p.setPen(Qt::white);
    p.drawText(img.rect(), Qt::AlignCenter, letter);
    return img;
}

ToolItemView::Text line(const QString &s, int px, bool bold, const QColor &colour)
{
    QFont f;
    f.setPixelSize(px);
    f.setBold(bold);
    return {s, f, colour};
}

void toolTiles(GalleryBook &book)
{
    const QString c = QStringLiteral("ToolItemView");
    book.setPageColor(QColor(0xE9, 0xEC, 0xF0));
    struct State { const char *name; bool icon; bool longTitle; int look; };  // look: 0 rest, 1 hover, 2 pressed
    const State states[] = {
        {"normal", true, false, 0},
        {"hover", true, false, 1},
        {"pressed", true, false, 2},
        {"no-icon", false, false, 0},
        {"long-title", true, true, 0},
    };
    for (const State &s : states) {
        book.shoot(c, QLatin1String(s.name), new ToolItemView(QRect(0, 0, 260, 72)), QSize(260, 72), [s](QWidget *w) {
            auto *t = static_cast<ToolItemView *>(w);
            t->awakeFromNib();
            if (s.icon)
                t->setFavicon(siteIcon(QColor(0x2E, 0x86, 0xDE), QStringLiteral("V")));
            t->setTitle(line(s.longTitle ? QStringLiteral("Convert every video of a playlist to phone size")
                                         : QStringLiteral("Video Converter"),
                             14, true, QColor(0x22, 0x22, 0x22)));
            t->setSubTitle(line(QStringLiteral("Convert media for any device"), 11, false, QColor(0x77, 0x77, 0x77)));
            const QPointF mid(130, 36);
            if (s.look == 1) {
                QEnterEvent e(mid, mid, t->mapToGlobal(mid));
                QApplication::sendEvent(t, &e);
            } else if (s.look == 2) {
                QMouseEvent e(QEvent::MouseButtonPress, mid, t->mapToGlobal(mid), Qt::LeftButton, Qt::LeftButton, {});
                QApplication::sendEvent(t, &e);
            }
        });
    }
    book.finishCard(c);
    book.setPageColor(Qt::white);
}

void entryPages(GalleryBook &book, qreal)
{
    timeLabels(book);
    toolTiles(book);
}

const int registered = GalleryBook::registerPages(entryPages);

} // namespace
