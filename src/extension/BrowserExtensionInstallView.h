#pragma once

#include <QImage>
#include <QWidget>

// The install page's view: an optional tiled background and a centred intro picture.
class BrowserExtensionInstallView : public QWidget
{
    Q_OBJECT

public:
    explicit BrowserExtensionInstallView(QWidget *parent = nullptr);

    QImage introImage() const { return m_introImage; }
    void setIntroImage(const QImage &image) { m_introImage = image; update(); }
    QImage backgroundImage() const { return m_backgroundImage; }
    void setBackgroundImage(const QImage &image) { m_backgroundImage = image; update(); }
    void showIntroImage(bool show);
    bool isShowingIntroImage() const { return m_showIntroImage; }
    // The menu goes to every direct child as well.
    void setMenuPolicy(Qt::ContextMenuPolicy policy);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_introImage;
    QImage m_backgroundImage;
    bool m_showIntroImage = false;
};
