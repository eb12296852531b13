#pragma once

#include <QImage>
#include <QWidget>

// A tab header: three-part background, an icon and a caption that wraps to two lines when long.
class TabShowView : public QWidget
{
    Q_OBJECT
public:
    explicit TabShowView(QWidget *parent = nullptr);

    QImage iconImage() const { return m_icon; }
    void setIconImage(const QImage &i) { m_icon = i; update(); }
    int iconLeftPading() const { return m_left; }
    void setIconLeftPading(int v) { m_left = v; update(); }
    int iconRightPading() const { return m_right; }
    void setIconRightPading(int v) { m_right = v; update(); }
    QString caption() const { return m_caption; }
    void setCaption(const QString &c) { m_caption = c; update(); }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    void setup();
    QImage m_icon;
    int m_left = 28;
    int m_right = 35;
    QString m_caption;
};
