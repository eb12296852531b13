#include "controls/TimeLabel.h"

#include "controls/ControlTimer.h"
#include "controls/TimeLabelController.h"
#include "platform/NotificationCenter.h"

#include <QLineEdit>
#include <QPointer>

#include <algorithm>
#include <cmath>

const QString TimeLabel::changedNotification = QStringLiteral("TIMELABEL_CHANGED_NOTIFICATION");

namespace {
constexpr int colonWidth = 10;
constexpr double largestTime = 359999.0;  // 99:59:59, all two hour digits can show

QString twoDigits(long long v)
{
    return QStringLiteral("%1%2").arg(v / 10).arg(v % 10);
}
} // namespace

TimeLabel::TimeLabel(QWidget *parent)
    : QWidget(parent)
{
    m_tfc = new TimeLabelController(this);
    m_backTxt = makeField(QString(), false);
    m_backTxt->setReadOnly(true);
    m_hourTxt = makeField(QStringLiteral("00"), true);
    m_colonLeftTxt = makeField(QStringLiteral(":"), false);
    m_minuteTxt = makeField(QStringLiteral("00"), true);
    m_colonRightTxt = makeField(QStringLiteral(":"), false);
    m_secondTxt = makeField(QStringLiteral("00"), true);
    QFont f = font();
    f.setPointSizeF(11);
    setFont(f);
    layoutFields();

    // Each label listens to its own three fields only: a label hearing another label's field
    // would drop its own pending check.
    auto &center = NotificationCenter::defaultCenter();
    for (QLineEdit *field : {m_hourTxt, m_minuteTxt, m_secondTxt}) {
        center.addObserver(this, TimeLabelController::changedName,
                           [this, field](const Notification &) { timeLabelmodifyTxtValue(field); }, field);
        center.addObserver(this, TimeLabelController::editEndName,
                           [this, field](const Notification &) { timeLabelEditEnd(field); }, field);
    }
}

TimeLabel::~TimeLabel()
{
    NotificationCenter::defaultCenter().removeObserver(this);
}

QLineEdit *TimeLabel::makeField(const QString &text, bool digits)
{
    auto *field = new QLineEdit(text, this);
    if (field != m_backTxt && m_backTxt) {
        field->setFrame(false);
        field->setAlignment(Qt::AlignCenter);
        field->setStyleSheet(QStringLiteral("QLineEdit { background: transparent; border: none; }"));
    }
    field->setTextMargins(0, 0, 0, 0);
    if (digits) {
        m_tfc->attach(field);
    } else {
        field->setReadOnly(true);
        field->setFocusPolicy(Qt::NoFocus);
        field->setContextMenuPolicy(Qt::NoContextMenu);
        field->setAttribute(Qt::WA_TransparentForMouseEvents, m_backTxt != nullptr);
    }
    return field;
}

void TimeLabel::layoutFields()
{
    const int w = width();
    const int h = std::max(0, height() - 3);
    const int d = std::max(0, (w - colonWidth - colonWidth) / 3);
    m_backTxt->setGeometry(0, 0, w, h);
    m_hourTxt->setGeometry(0, 0, d, h);
    m_colonLeftTxt->setGeometry(d, 0, colonWidth, h);
    m_minuteTxt->setGeometry(d + colonWidth, 0, d, h);
    m_colonRightTxt->setGeometry(2 * d + colonWidth, 0, colonWidth, h);
    m_secondTxt->setGeometry(2 * d + 2 * colonWidth, 0, d, h);
}

void TimeLabel::resizeEvent(QResizeEvent *)
{
    layoutFields();
}

void TimeLabel::setFont(const QFont &font)
{
    for (QLineEdit *f : {m_hourTxt, m_colonLeftTxt, m_minuteTxt, m_colonRightTxt, m_secondTxt})
        f->setFont(font);
}

bool TimeLabel::isEditable() const
{
    return !m_hourTxt->isReadOnly();
}

void TimeLabel::setEditable(bool flag)
{
    if (QWidget *focus = focusWidget(); focus && isAncestorOf(focus))
        focus->clearFocus();
    m_backTxt->setFrame(false);
    m_backTxt->setStyleSheet(flag ? QStringLiteral("QLineEdit { border: none; }")
                                  : QStringLiteral("QLineEdit { background: transparent; border: none; }"));
    for (QLineEdit *f : {m_hourTxt, m_minuteTxt, m_secondTxt}) {
        f->setReadOnly(!flag);
        f->setFocusPolicy(flag ? Qt::StrongFocus : Qt::NoFocus);
        f->setAttribute(Qt::WA_TransparentForMouseEvents, !flag);
    }
}

void TimeLabel::setTime(double seconds)
{
    // Clamped to what two hour digits show; a negative or endless value would print garbage.
    if (!std::isfinite(seconds))
        seconds = 0;
    const long long total = static_cast<long long>(std::clamp(seconds, 0.0, largestTime) + 0.5);
    const long long hours = total / 3600;
    const long long minutes = (total - hours * 3600) / 60;
    const long long secs = total - (total / 60) * 60;
    // setText bypasses the formatter, so nothing needs taking off here.
    m_hourTxt->setText(QStringLiteral("%1%2").arg(total / 36000).arg(hours % 10));
    m_minuteTxt->setText(twoDigits(minutes));
    m_secondTxt->setText(twoDigits(secs));
}

double TimeLabel::getTime() const
{
    return m_hourTxt->text().toInt() * 3600.0 + m_minuteTxt->text().toInt() * 60.0 + m_secondTxt->text().toInt();
}

void TimeLabel::setMaxValue(double v)
{
    m_maxValue = std::max(0.0, v);
    if (m_minValue > m_maxValue)
        m_maxValue = m_minValue;
}

void TimeLabel::setMinValue(double v)
{
    m_minValue = std::max(0.0, v);
    if (m_minValue > m_maxValue)
        m_minValue = m_maxValue;
}

bool TimeLabel::hasPendingCheck() const
{
    return m_timer && m_timer->isActive();
}

bool TimeLabel::isOwnDigitField(const QObject *o) const
{
    return o && (o == m_hourTxt || o == m_minuteTxt || o == m_secondTxt);
}

void TimeLabel::timeLabelmodifyTxtValue(QLineEdit *field)
{
    if (m_timer)
        m_timer->stop();
    m_timer = ControlTimer::make();
    QPointer<QLineEdit> edited(field);
    m_timer->start(checkDelayMs, [this, edited] { checkField(edited); });
}

void TimeLabel::checkField(QLineEdit *field)
{
    if (!isOwnDigitField(field))
        return;
    const int limit = field == m_hourTxt ? 99 : 59;
    if (field->text().toInt() > limit)
        field->setText(QString::number(limit));
    const double total = getTime();
    if (total > m_maxValue)
        setTime(m_maxValue);
    if (getTime() < m_minValue)
        setTime(m_minValue);
    NotificationCenter::defaultCenter().post(changedNotification, QVariant::fromValue<QObject *>(this),
                                             {{QStringLiteral("value"), static_cast<qlonglong>(getTime())}});
}

void TimeLabel::timeLabelEditEnd(QLineEdit *field)
{
    if (!isOwnDigitField(field))
        return;
    field->setText(twoDigits(field->text().toInt()));
}
