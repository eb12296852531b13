#pragma once

#include "controls/ActionView.h"

#include <QColor>
#include <QFont>
#include <QImage>

class QPropertyAnimation;

// A tile of the tool box: an optional site icon, a title and a subtitle, with a hover and a
// pressed background from the "ToolboxSlice" sheet. A release inside the click area sends the
// action; a double click sends nothing.
class ToolItemView : public ActionView
{
    Q_OBJECT
public:
    // A run of text in one font and colour.
    struct Text
    {
        QString string;
        QFont font;
        QColor color = QColor(0x33, 0x33, 0x33);
        bool isEmpty() const { return string.isEmpty(); }
    };
    // Where the parts of a tile go, top-left coordinates.
    struct Layout
    {
        QRectF icon;
        QRectF title;
        QRectF subTitle;
    };

    explicit ToolItemView(QWidget *parent = nullptr);
    explicit ToolItemView(const QRect &frame, QWidget *parent = nullptr);
    ~ToolItemView() override;

    QImage favicon() const { return m_favicon; }
    void setFavicon(const QImage &image);
    Text title() const { return m_title; }
    void setTitle(const Text &title);
    Text subTitle() const { return m_subTitle; }
    void setSubTitle(const Text &subTitle);
    quint32 itemType() const { return m_itemType; }
    void setItemType(quint32 type) { m_itemType = type; }

    bool isEntered() const { return m_isEntered; }
    bool isPressed() const { return m_isPressed; }
    QRect clickRect() const { return m_clickRect; }

    void startFadeInAnimation();
    QString curBackgroundImage() const;
    void drawBackground(QPainter *painter);

    static QSizeF calcTextSize(const Text &text, int width);
    static Layout layoutFor(const QSizeF &bounds, const QSizeF &iconSize, const Text &title, const Text &subTitle);

protected:
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseDoubleClickEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    void stopAnimation();

    QImage m_favicon;
    Text m_title;
    Text m_subTitle;
    QPropertyAnimation *m_animation = nullptr;
    bool m_isEntered = false;
    bool m_isPressed = false;
    bool m_isDoubleClick = false;
    QRect m_clickRect;
    quint32 m_itemType = 0;
};
