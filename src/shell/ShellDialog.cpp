#include "shell/ShellDialog.h"

#include "controls/BackgroundView.h"
#include "platform/MainBundle.h"
#include "shell/NSWindowCommon.h"

#include <QGuiApplication>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QToolButton>

ShellDialog::ShellDialog(QWidget *parent) : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint)
{
    setAutoFillBackground(false);
    setContentsMargins(0, TitleStripHeight, 0, 0);
    m_titleView = new BackgroundView(this);
    m_titleView->setBackgroundColor(QColor(Qt::white), false);
    m_titleView->setBottomLineColor(QColor::fromRgbF(0.876f, 0.884f, 0.888f), false);
    m_titleView->setBoundsToMask(1);
    NSWindowCommon::addViewToTitleBar(this, m_titleView, 0);

    m_titleTextField = new QLabel(m_titleView);
    m_titleTextField->setAlignment(Qt::AlignCenter);
    QFont f = m_titleTextField->font();
    f.setPixelSize(13);
    m_titleTextField->setFont(f);
    m_titleTextField->setStyleSheet(QStringLiteral("color: #3a4046;"));
    m_titleTextField->setText(MainBundle::localizedString("Fennix Pro"));

    m_closeButton = new QToolButton(m_titleView);
    m_closeButton->setObjectName(QStringLiteral("closeButton"));
    m_closeButton->setText(QStringLiteral("\u2715"));
    m_closeButton->setAutoRaise(true);
    m_closeButton->setCursor(Qt::PointingHandCursor);
    m_closeButton->setStyleSheet(QStringLiteral(
        "QToolButton { color: #8a939b; border: none; font-size: 12px; }"
        "QToolButton:hover { color: #20c05b; }"));
    connect(m_closeButton, &QToolButton::clicked, this, [this] { done(0); });
}

void ShellDialog::setTitleText(const QString &title)
{
    if (!title.isNull())
        m_titleTextField->setText(title);
}

QString ShellDialog::titleText() const
{
    return m_titleTextField->text();
}

QPoint ShellDialog::originForParentRect(const QRect &parentRect, const QSize &windowSize)
{
    const int dx = parentRect.width() - windowSize.width();
    const int dy = parentRect.height() - windowSize.height();
    return QPoint(parentRect.x() + dx / 2, parentRect.y() + dy / 2);
}

void ShellDialog::setFrameOriginWithParentRect(const QRect &parentRect)
{
    if (parentRect.isNull() || parentRect.isEmpty()) {
        const QScreen *screen = QGuiApplication::primaryScreen();
        if (screen)
            move(originForParentRect(screen->availableGeometry(), size()));
        return;
    }
    move(originForParentRect(parentRect, size()));
}

void ShellDialog::resizeEvent(QResizeEvent *e)
{
    QDialog::resizeEvent(e);
    m_titleView->setGeometry(0, 0, width(), TitleStripHeight);
    m_titleTextField->setGeometry(40, 0, std::max(0, width() - 80), TitleStripHeight - 1);
    m_closeButton->setGeometry(width() - 32, 4, 24, 24);
}

void ShellDialog::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.fillRect(rect(), Qt::white);
    // A hairline border: without a system frame the window would melt into white pages.
    p.setPen(QColor(0xc8, 0xcf, 0xd4));
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void ShellDialog::mousePressEvent(QMouseEvent *e)
{
    if (e->button() == Qt::LeftButton) {
        m_dragging = true;
        m_dragOffset = e->globalPosition().toPoint() - frameGeometry().topLeft();
    }
    QDialog::mousePressEvent(e);
}

void ShellDialog::mouseMoveEvent(QMouseEvent *e)
{
    if (m_dragging && (e->buttons() & Qt::LeftButton))
        move(e->globalPosition().toPoint() - m_dragOffset);
    QDialog::mouseMoveEvent(e);
}

void ShellDialog::mouseReleaseEvent(QMouseEvent *e)
{
    m_dragging = false;
    QDialog::mouseReleaseEvent(e);
}
