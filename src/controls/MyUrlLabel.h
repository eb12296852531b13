#pragma once

#include <QLabel>

// An underlined blue link that opens its address on mouse-down.
class MyUrlLabel : public QLabel
{
    Q_OBJECT
public:
    explicit MyUrlLabel(QWidget *parent = nullptr);
    void setURL(const QString &url) { m_url = url; }
    QString URL() const { return m_url; }
    void resetTrackingArea();

protected:
    void mousePressEvent(QMouseEvent *event) override;

private:
    QString m_url;
};
