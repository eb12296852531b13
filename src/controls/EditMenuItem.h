#pragma once

#include "controls/TargetAction.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QVariant>
#include <QWidget>

// One row of an EditMenu: a title with an optional check mark, or a thin separator line. The
// menu tracks the pointer for its rows, so a row takes no mouse events itself.
class EditMenuItem : public QWidget
{
    Q_OBJECT
public:
    // Nothing is made for a null title.
    static EditMenuItem *create(const QString &title, QObject *target, const char *action);
    static EditMenuItem *separator();

    QString title() const { return m_title; }
    void setTitle(const QString &t) { m_title = t; update(); }
    void setTitleFont(const QFont &font, const QColor &color);
    QVariant representedObject() const { return m_representedObject; }
    void setRepresentedObject(const QVariant &v) { m_representedObject = v; }
    QImage selectImage() const { return m_selectImage; }
    void setSelectImage(const QImage &i) { m_selectImage = i; }
    QImage hightlightSelectImage() const { return m_hightlightSelectImage; }
    void setHightlightSelectImage(const QImage &i) { m_hightlightSelectImage = i; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    bool isEnable() const { return m_isEnable; }
    void setIsEnable(bool on) { m_isEnable = on; update(); }
    bool isSelected() const { return m_isSelected; }
    void setIsSelected(bool on) { m_isSelected = on; update(); }
    bool isSeparator() const { return m_bSeparator; }
    bool isMouseIn() const { return m_bMouseIn; }
    QRectF titleRect() const { return m_titleRect; }  // y-up

    void mouseEntered();
    void mouseExited();
    // The hover look without a redraw.
    void highlight() { m_bMouseIn = true; }
    // Sends the action with the row as sender; a disabled row sends nothing.
    bool sendTargetAction();

protected:
    EditMenuItem(QWidget *parent = nullptr);
    void paintEvent(QPaintEvent *) override;
    void resizeEvent(QResizeEvent *e) override;

private:
    QString m_title;
    TargetAction m_action;
    QRectF m_titleRect;
    bool m_bSeparator = false;
    bool m_bMouseIn = false;
    QVariant m_representedObject;
    bool m_isEnable = true;
    bool m_isSelected = false;
    int m_tag = 0;
    QFont m_titleFont;
    QColor m_titleColor;
    QImage m_selectImage, m_hightlightSelectImage;
};
