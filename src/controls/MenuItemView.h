#pragma once

#include "controls/TargetAction.h"

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QWidget>

// A view that acts as one selectable menu row: icon, title, and an action sent on a click.
// A click toggles the selection.
class MenuItemView : public QWidget
{
    Q_OBJECT
    // Read by tests that look at every text a window shows.
    Q_PROPERTY(QString title READ title)
public:
    explicit MenuItemView(QWidget *parent = nullptr);
    ~MenuItemView() override;

    QString title() const { return m_title; }
    void setTitle(const QString &t) { m_title = t; update(); }
    QImage icon() const { return m_icon; }
    void setIcon(const QImage &i) { m_icon = i; update(); }
    QColor bgColor() const { return m_bgColor; }
    void setBgColor(const QColor &c) { m_bgColor = c; }
    bool isEnable() const { return m_isEnable; }
    void setIsEnable(bool on) { m_isEnable = on; update(); }
    bool isSelected() const { return m_isSelected; }
    void setIsSelected(bool on) { m_isSelected = on; }
    QObject *target() const { return m_target; }
    void setTarget(QObject *t) { m_target = t; }
    QByteArray selector() const { return m_selector; }
    void setSelector(const char *s) { m_selector = s; }
    int tagValue() const { return m_tagValue; }
    void setTagValue(int v) { m_tagValue = v; }

    // Where the title goes: after the icon, centred on the row (Qt coordinates).
    QRectF titleRect() const;

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;

private:
    QString m_title;
    QImage m_icon;
    QColor m_bgColor = Qt::white;
    bool m_isSelected = false;
    bool m_isEnable = true;
    QPointer<QObject> m_target;
    QByteArray m_selector;
    int m_tagValue = 0;
};
