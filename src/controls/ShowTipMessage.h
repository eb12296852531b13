#pragma once

#include <QObject>
#include <QPointer>
#include <QString>

class MAAttachedWindow;
class QLabel;
class QWidget;

// The application's one tip bubble: a short text in an attached pop-over that points at a
// spot. The bubble is made on first use and only ever hidden and shown again.
class ShowTipMessage : public QObject
{
    Q_OBJECT
public:
    static ShowTipMessage &share();
    ~ShowTipMessage() override;

    // Hides the bubble and hands it back, made on first use.
    MAAttachedWindow *getTipWindow();
    // Point in the window's coordinates; the bubble hangs below it and does not take the keys.
    void showTipWithString(const QString &text, const QPointF &point, QWidget *window);
    // Points at the top middle of the control and takes the keys.
    void showTipWithString(const QString &text, QWidget *control);
    // Shows the given view in the bubble, pointing at the control.
    void showTipWithView(QWidget *view, QWidget *control);
    void closeTipWindow();

    QLabel *tipTextField() const { return m_field; }

private:
    ShowTipMessage();
    void sizeField(const QString &text, int boxWidth);
    static QPointF controlPoint(QWidget *control);

    QLabel *m_field = nullptr;
    QPointer<MAAttachedWindow> m_tipWindow;
};
