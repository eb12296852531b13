#pragma once

#include <QAbstractButton>

class QMenu;

// A pull-down button: themed background, an icon, a middle-truncated title and an arrow; a
// press opens its menu just under it.
class MGPullDownButtonCell : public QAbstractButton
{
    Q_OBJECT
public:
    explicit MGPullDownButtonCell(QWidget *parent = nullptr);

    void setDefultIconStyle(int style);
    void setMenu(QMenu *menu) { m_menu = menu; }
    QMenu *menu() const { return m_menu; }

    int drawMode = 1;
    QString imageName = QStringLiteral("DeviceSlice");
    QString normalIconSliceName, highlightIconSliceName;
    QString normalArrowSliceName = QStringLiteral("device-202_");
    QString highlightArrowSliceName = QStringLiteral("device-202205_");
    QString normalBGImageSliceName = QStringLiteral("device-195_");
    QString highlightBGImageSliceName = QStringLiteral("device-204_");
    bool showArrow = true;

    QString currentIconSliceName() const;
    QString currentArrowSliceName() const;
    // Where the menu opens, in global coordinates.
    QPoint menuPosition() const;
    QSize sizeHint() const override;

signals:
    void menuAboutToOpen();

protected:
    void paintEvent(QPaintEvent *) override;
    void mousePressEvent(QMouseEvent *e) override;

private:
    QMenu *m_menu = nullptr;
};
