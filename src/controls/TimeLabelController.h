#pragma once

#include <QList>
#include <QPointer>
#include <QValidator>

class QLineEdit;

// Typing rules and edit reports of the time label's digit fields: at most two characters,
// digits only (a refused edit beeps). A text change posts "__TIMELABEL_CHANGED__" once the
// event loop is idle, one per field however many keys came in between; the end of an edit
// posts "__TIMELABEL_EDIT_END__" at once. The edited field is the notification's object.
class TimeLabelController : public QValidator
{
    Q_OBJECT
public:
    static const QString changedName;  // "__TIMELABEL_CHANGED__"
    static const QString editEndName;  // "__TIMELABEL_EDIT_END__"

    explicit TimeLabelController(QObject *parent = nullptr);

    // Makes this the field's formatter and delegate.
    void attach(QLineEdit *field);

    bool isPartialStringValid(const QString &proposed) const;
    State validate(QString &input, int &pos) const override;

    void controlTextDidChange(QLineEdit *field);
    void controlTextDidEndEditing(QLineEdit *field);

private:
    void postPendingChanges();

    // Coalesced by field, not by name alone: two labels edited in the same turn of the
    // event loop must each hear of their own field.
    QList<QPointer<QLineEdit>> m_pendingChanges;
};
