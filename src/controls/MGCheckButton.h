#pragma once

#include "controls/MGCheckBoxCell.h"

#include <QAbstractButton>

// A check box drawn from pictures per look and state. A click toggles the state and sends the
// action (clicked()). state(): 1 on, 0 off, -1 mixed.
class MGCheckButton : public QAbstractButton
{
    Q_OBJECT
    // Read by tests that look at every text a window shows.
    Q_PROPERTY(QString title READ title)
public:
    explicit MGCheckButton(QWidget *parent = nullptr);

    MGCheckBoxCell *cell() { return &m_cell; }
    int state() const { return m_cell.state(); }
    void setState(int state);
    void setTitle(const QString &title);
    QString title() const { return m_cell.title(); }
    QColor textColor() const { return m_textColor.value_or(palette().color(QPalette::WindowText)); }
    void setTextColor(const QColor &c);
    void setBgColor(const std::optional<QColor> &c) { m_cell.backgroundColor = c; update(); }

    QSize sizeHint() const override;

signals:
    void stateChanged(int state);

protected:
    void paintEvent(QPaintEvent *) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void nextCheckState() override;
    void checkStateSet() override;

private:
    MGCheckBoxCell m_cell;
    std::optional<QColor> m_textColor;
};
