#include "shell/AfterTasksView.h"

#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"
#include "shell/UIManager.h"

#include <QMouseEvent>
#include <QPainter>

AfterTasksView::AfterTasksView(std::function<void()> changed, QWidget *parent) : QWidget(parent), m_changed(std::move(changed))
{
    setMouseTracking(true);
    resize(sizeHint());
}

QSize AfterTasksView::sizeHint() const
{
    return QSize(220, 4 * RowHeight + 36);
}

QString AfterTasksView::titleForMode(int mode)
{
    switch (mode) {
    case 2: return MainBundle::localizedString("Shutdown Mac");
    case 3: return MainBundle::localizedString("Sleep Mac");
    case 4: return MainBundle::localizedString("Quit Fennix Pro");
    default: return MainBundle::localizedString("Do nothing");
    }
}

int AfterTasksView::rowAt(int y) const
{
    const int row = (y - 32) / RowHeight;
    return (y >= 32 && row >= 0 && row < 4) ? row : -1;
}

void AfterTasksView::choose(int mode)
{
    UserDefaults::standard().setInteger(QStringLiteral("TimeSchedulerMode"), mode);
    update();
    if (m_changed)
        m_changed();
}

void AfterTasksView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.fillRect(rect(), Qt::white);
    QFont head = font();
    head.setPixelSize(12);
    p.setFont(head);
    p.setPen(QColor(0x8a, 0x93, 0x9b));
    p.drawText(QRect(14, 0, width() - 28, 30), Qt::AlignVCenter | Qt::AlignLeft,
               MainBundle::localizedString("When all tasks are done:"));
    const qint64 mode = UserDefaults::standard().integerForKey(QStringLiteral("TimeSchedulerMode"));
    QFont rowFont = font();
    rowFont.setPixelSize(13);
    p.setFont(rowFont);
    for (int row = 0; row < 4; ++row) {
        const int rowMode = row + 1;
        const QRect r(0, 32 + row * RowHeight, width(), RowHeight);
        if (row == m_hover)
            p.fillRect(r, QColor(0xee, 0xf6, 0xf1));
        const QImage icon = UIManager::sliceNamedInMain(QStringLiteral("mainform-%1").arg(563 + rowMode));
        if (!icon.isNull())
            p.drawImage(QRect(14, r.y() + 6, 24, 24), icon);
        p.setPen(QColor(0x2f, 0x34, 0x39));
        p.drawText(r.adjusted(48, 0, -30, 0), Qt::AlignVCenter | Qt::AlignLeft, titleForMode(rowMode));
        if (mode == rowMode || (rowMode == 1 && (mode < 1 || mode > 4))) {
            p.setPen(QPen(QColor(36, 140, 79), 2));
            const int cy = r.center().y();
            p.drawPolyline(QPolygon({QPoint(width() - 26, cy), QPoint(width() - 21, cy + 5), QPoint(width() - 13, cy - 5)}));
        }
    }
}

void AfterTasksView::mouseMoveEvent(QMouseEvent *e)
{
    const int row = rowAt(int(e->position().y()));
    if (row != m_hover) {
        m_hover = row;
        update();
    }
}

void AfterTasksView::mouseReleaseEvent(QMouseEvent *e)
{
    const int row = rowAt(int(e->position().y()));
    if (row >= 0)
        choose(row + 1);
}

void AfterTasksView::leaveEvent(QEvent *)
{
    m_hover = -1;
    update();
}
