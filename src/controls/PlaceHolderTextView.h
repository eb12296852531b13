#pragma once

#include <QTextEdit>

// A multi-line text view that shows a grey placeholder until it is clicked or focused, and
// shows it again when it loses focus empty. Tab moves the focus on.
class PlaceHolderTextView : public QTextEdit
{
    Q_OBJECT
public:
    explicit PlaceHolderTextView(QWidget *parent = nullptr);

    QString placeHolderStr() const { return m_placeHolder; }
    void setPlaceHolderStr(const QString &text);
    bool isShowingPlaceholder() const { return m_showingPlaceholder; }
    // The user's text (empty while the placeholder shows).
    QString userText() const;

protected:
    void mousePressEvent(QMouseEvent *event) override;
    void focusInEvent(QFocusEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;

private:
    void showPlaceholder();
    void startEditing();

    QString m_placeHolder;
    bool m_showingPlaceholder = false;
};
