#include "controls/QVCustomTextField.h"

#include <QApplication>
#include <QClipboard>
#include <QDropEvent>
#include <QKeyEvent>
#include <QMimeData>

QVCustomTextField::QVCustomTextField(QWidget *parent) : MGTextFieldCell(parent)
{
    setAcceptDrops(true);
    connect(this, &QLineEdit::textChanged, this, &QVCustomTextField::customTextDidChange);
}

std::optional<QString> QVCustomTextField::filterReplacement(const QString &replacement)
{
    QString text = replacement.trimmed();
    if (text.size() < 9)
        return std::nullopt;
    const int lineEnd = text.indexOf(QLatin1Char('\n'));
    if (lineEnd >= 0)
        text = text.left(lineEnd).trimmed();
    for (const char *prefix : {"http://", "https://", "www."}) {
        if (text.startsWith(QLatin1String(prefix), Qt::CaseInsensitive))
            return text;
    }
    return std::nullopt;
}

void QVCustomTextField::propose(const QString &replacement)
{
    if (const auto accepted = filterReplacement(replacement))
        insert(*accepted);
}

void QVCustomTextField::focusInEvent(QFocusEvent *event)
{
    clear();
    emit customTextDidClean();
    MGTextFieldCell::focusInEvent(event);
}

void QVCustomTextField::keyPressEvent(QKeyEvent *event)
{
    if (event->matches(QKeySequence::Paste)) {
        propose(QApplication::clipboard()->text());
        event->accept();
        return;
    }
    // Every other edit (typed characters, deletions, cuts, undo) proposes too little to pass.
    const bool edits = !event->text().isEmpty() || event->matches(QKeySequence::Cut) ||
                       event->matches(QKeySequence::Undo) || event->matches(QKeySequence::Redo) ||
                       event->key() == Qt::Key_Backspace || event->key() == Qt::Key_Delete;
    if (edits && !(event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Tab ||
                   event->key() == Qt::Key_Escape || event->matches(QKeySequence::Copy) ||
                   event->matches(QKeySequence::SelectAll))) {
        event->accept();
        return;
    }
    MGTextFieldCell::keyPressEvent(event);
}

void QVCustomTextField::inputMethodEvent(QInputMethodEvent *event)
{
    propose(event->commitString());
    event->accept();
}

void QVCustomTextField::dragEnterEvent(QDragEnterEvent *event)
{
    if (event->mimeData()->hasText() || event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void QVCustomTextField::dropEvent(QDropEvent *event)
{
    const QMimeData *data = event->mimeData();
    const QString text = data->hasUrls() && !data->urls().isEmpty() ? data->urls().first().toString() : data->text();
    propose(text);
    event->acceptProposedAction();
}
