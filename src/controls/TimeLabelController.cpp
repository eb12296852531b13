#include "controls/TimeLabelController.h"

#include "platform/Dispatch.h"
#include "platform/NotificationCenter.h"

#include <QApplication>
#include <QLineEdit>

const QString TimeLabelController::changedName = QStringLiteral("__TIMELABEL_CHANGED__");
const QString TimeLabelController::editEndName = QStringLiteral("__TIMELABEL_EDIT_END__");

TimeLabelController::TimeLabelController(QObject *parent)
    : QValidator(parent)
{
}

void TimeLabelController::attach(QLineEdit *field)
{
    field->setValidator(this);
    connect(field, &QLineEdit::textEdited, this, [this, field] { controlTextDidChange(field); });
    connect(field, &QLineEdit::editingFinished, this, [this, field] { controlTextDidEndEditing(field); });
}

bool TimeLabelController::isPartialStringValid(const QString &proposed) const
{
    if (proposed.size() > 2)
        return false;
    for (QChar c : proposed)
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    return true;
}

QValidator::State TimeLabelController::validate(QString &input, int &) const
{
    if (isPartialStringValid(input))
        return Acceptable;
    QApplication::beep();
    return Invalid;
}

void TimeLabelController::controlTextDidChange(QLineEdit *field)
{
    for (const auto &f : m_pendingChanges)
        if (f == field)
            return;
    const bool first = m_pendingChanges.isEmpty();
    m_pendingChanges.append(field);
    if (first) {
        QPointer<TimeLabelController> self(this);
        dispatch::async_main([self] {
            if (self)
                self->postPendingChanges();
        });
    }
}

void TimeLabelController::postPendingChanges()
{
    const auto fields = std::exchange(m_pendingChanges, {});
    for (const auto &f : fields)
        if (f)
            NotificationCenter::defaultCenter().post(changedName, QVariant::fromValue<QObject *>(f.data()));
}

void TimeLabelController::controlTextDidEndEditing(QLineEdit *field)
{
    NotificationCenter::defaultCenter().post(editEndName, QVariant::fromValue<QObject *>(field));
}
