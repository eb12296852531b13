#pragma once

#include "controls/MGHoverButtonCell.h"

#include <QAbstractButton>

#include <memory>

// The push button of every page and dialog, drawn from slices per state (see MGHoverButtonCell).
// A sticky button (buttonType 1) stays pressed from the click until its owner releases it with
// setLockButtonState(false). The action is the clicked() signal.
class MGHoverButton : public QAbstractButton
{
    Q_OBJECT
    // Read by tests that look at every text a window shows.
    Q_PROPERTY(QString title READ title)
public:
    enum HoverButtonDisplayType { DisplayDefault = 0, DisplayDialog = 1, DisplayLarge = 2, DisplayAccentText = 3,
                                  DisplayFilled = 4, DisplayFilledLarge = 5 };

    explicit MGHoverButton(QWidget *parent = nullptr);
    // The form used for buttons placed from layouts: display type 0, plain, unlocked.
    static MGHoverButton *fromLayout(QWidget *parent = nullptr);
    ~MGHoverButton() override;

    MGHoverButtonCell *cell() const { return m_cell.get(); }

    void setButtonDisplayType(int type);
    void setLockButtonState(bool locked);
    bool lockButtonState() const { return m_cell->lockButtonState; }

    QColor textColor() const;
    void setTextColor(const QColor &color);
    void setTitle(const QString &title);
    QString title() const { return m_cell->title; }
    void setState(int state);
    int state() const { return isChecked() ? 1 : 0; }

    void setDrawMode(int mode) { m_cell->drawMode = mode; }
    int drawMode() const { return m_cell->drawMode; }
    void setImageName(const QString &sheet) { m_cell->imageName = sheet; }
    QString imageName() const { return m_cell->imageName; }
    void setNormalSliceName(const QString &n) { m_cell->normalSliceName = n; }
    QString normalSliceName() const { return m_cell->normalSliceName; }
    void setHoverSliceName(const QString &n) { m_cell->hoverSliceName = n; }
    QString hoverSliceName() const { return m_cell->hoverSliceName; }
    void setDownSliceName(const QString &n) { m_cell->downSliceName = n; }
    QString downSliceName() const { return m_cell->downSliceName; }
    void setDisableSliceName(const QString &n) { m_cell->disableSliceName = n; }
    QString disableSliceName() const { return m_cell->disableSliceName; }
    void setIconSliceName(const QString &n) { m_cell->iconSliceName = n; }
    QString iconSliceName() const { return m_cell->iconSliceName; }
    void setHoverIconSliceName(const QString &n) { m_cell->hoverIconSliceName = n; }
    void setDownIconSliceName(const QString &n) { m_cell->downIconSliceName = n; }
    void setBgColor(const std::optional<QColor> &c) { m_cell->bgColor = c; }
    void setButtonType(int type) { m_cell->buttonType = type; }
    int buttonType() const { return m_cell->buttonType; }
    void setDrawRedOval(bool on) { m_cell->drawRedOval = on; update(); }
    bool drawRedOval() const { return m_cell->drawRedOval; }

    QSize sizeHint() const override;

protected:
    MGHoverButton(std::unique_ptr<MGHoverButtonCell> cell, QWidget *parent);
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;

    std::unique_ptr<MGHoverButtonCell> m_cell;
};
