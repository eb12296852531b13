#include "controls/PlaceHolderTextView.h"

#include <QKeyEvent>

namespace {
const QColor PlaceholderGrey(191, 191, 191);
QFont textFont()
{
    QFont f(QStringLiteral("Helvetica"));
    f.setPixelSize(12);
    return f;
}
} // namespace

PlaceHolderTextView::PlaceHolderTextView(QWidget *parent) : QTextEdit(parent)
{
    setAcceptRichText(false);
    setStyleSheet(QStringLiteral("PlaceHolderTextView { border: 1px solid #D5DAE0; border-radius: 6px; padding: 3px;"
                                 " background: white; } PlaceHolderTextView:focus { border-color: #20C05B; }"));
    setTabChangesFocus(true);
    setPlainText(QString());
    setCurrentFont(textFont());
    setTextColor(PlaceholderGrey);
    setReadOnly(true);
    setTextInteractionFlags(Qt::TextEditorInteraction);
    setReadOnly(true);
}

void PlaceHolderTextView::setPlaceHolderStr(const QString &text)
{
    m_placeHolder = text;
    showPlaceholder();
}

void PlaceHolderTextView::showPlaceholder()
{
    m_showingPlaceholder = !m_placeHolder.isEmpty();
    setReadOnly(true);
    setPlainText(QString());
    setCurrentFont(textFont());
    setTextColor(PlaceholderGrey);
    insertPlainText(m_placeHolder);
}

QString PlaceHolderTextView::userText() const
{
    return m_showingPlaceholder ? QString() : toPlainText();
}

void PlaceHolderTextView::startEditing()
{
    setReadOnly(false);
    if (!m_placeHolder.isEmpty() && toPlainText() == m_placeHolder) {
        setPlainText(QString());
        setCurrentFont(textFont());
        setTextColor(Qt::black);
    }
    m_showingPlaceholder = false;
}

void PlaceHolderTextView::mousePressEvent(QMouseEvent *event)
{
    startEditing();
    QTextEdit::mousePressEvent(event);
}

void PlaceHolderTextView::focusInEvent(QFocusEvent *event)
{
    startEditing();
    QTextEdit::focusInEvent(event);
}

void PlaceHolderTextView::focusOutEvent(QFocusEvent *event)
{
    if (toPlainText().isEmpty())
        showPlaceholder();
    setReadOnly(true);
    viewport()->update();
    QTextEdit::focusOutEvent(event);
}

void PlaceHolderTextView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Tab) {
        clearFocus();
        focusNextChild();
        event->accept();
        return;
    }
    QTextEdit::keyPressEvent(event);
}
