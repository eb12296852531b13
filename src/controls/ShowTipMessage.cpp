#include "controls/ShowTipMessage.h"

#include "controls/MAAttachedWindow.h"

#include <QFontMetrics>
#include <QLabel>

ShowTipMessage &ShowTipMessage::share()
{
    static ShowTipMessage *shared = new ShowTipMessage;  // lives as long as the application
    return *shared;
}

ShowTipMessage::ShowTipMessage()
{
    m_field = new QLabel;
    m_field->setGeometry(0, 0, 50, 20);
    m_field->setAlignment(Qt::AlignCenter);
    QFont font(QStringLiteral("Helvetica"));
    font.setPixelSize(12);
    m_field->setFont(font);
    m_field->setAutoFillBackground(true);
    QPalette pal = m_field->palette();
    pal.setColor(QPalette::Window, Qt::white);
    pal.setColor(QPalette::WindowText, Qt::black);
    m_field->setPalette(pal);
    m_field->setEnabled(false);
    // Disabled only so it takes no clicks; the text stays black.
    pal.setColor(QPalette::Disabled, QPalette::WindowText, Qt::black);
    m_field->setPalette(pal);
}

ShowTipMessage::~ShowTipMessage()
{
    delete m_tipWindow;
}

MAAttachedWindow *ShowTipMessage::getTipWindow()
{
    if (!m_tipWindow) {
        m_tipWindow = MAAttachedWindow::create(m_field, QPointF(0, 0), nullptr, 8, 10.0);
        m_tipWindow->setBackgroundColor(Qt::white);
        m_tipWindow->setBorderWidth(10.0);
        m_tipWindow->setCornerRadius(10.0);
        m_tipWindow->setArrowBaseWidth(16.0);
        m_tipWindow->setArrowHeight(6.0);
        m_tipWindow->setHasArrow(1.0);
    }
    m_tipWindow->orderOut();
    return m_tipWindow;
}

void ShowTipMessage::sizeField(const QString &text, int boxWidth)
{
    m_field->setText(text);
    const QRect r = QFontMetrics(m_field->font()).boundingRect(QRect(0, 0, boxWidth, 20), Qt::TextWordWrap, text);
    m_field->setAlignment(Qt::AlignCenter);
    m_field->resize(r.width() + 12, r.height() + 6);
}

QPointF ShowTipMessage::controlPoint(QWidget *control)
{
    if (!control)
        return {};
    return QPointF(control->mapTo(control->window(), QPointF(control->width() * 0.5, 0)));
}

void ShowTipMessage::showTipWithString(const QString &text, const QPointF &point, QWidget *window)
{
    MAAttachedWindow *w = getTipWindow();
    w->setInWindow(window);
    w->setPoint(point);
    w->setBorderWidth(8.0);
    w->setCornerRadius(8.0);
    sizeField(text, 1000);
    w->setTipView(m_field);
    w->setPoint(point, 1);
    w->orderFront();
}

void ShowTipMessage::showTipWithString(const QString &text, QWidget *control)
{
    MAAttachedWindow *w = getTipWindow();
    w->setInWindow(control ? control->window() : nullptr);
    sizeField(text, 50);
    w->setTipView(m_field);
    w->setPoint(controlPoint(control), 1);
    w->makeKeyAndOrderFront();
}

void ShowTipMessage::showTipWithView(QWidget *view, QWidget *control)
{
    MAAttachedWindow *w = getTipWindow();
    w->setInWindow(control ? control->window() : nullptr);
    // The given view really goes into the bubble (it used to be measured but never shown).
    w->setTipView(view ? view : m_field);
    w->setPoint(controlPoint(control), 1);
    w->makeKeyAndOrderFront();
}

void ShowTipMessage::closeTipWindow()
{
    if (m_tipWindow)
        m_tipWindow->orderOut();
}
