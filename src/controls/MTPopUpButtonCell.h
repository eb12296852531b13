#pragma once

#include <QComboBox>
#include <QImage>

// A pop-up button drawn from a left cap, a stretched middle and a right cap: its own three
// pictures when all are set, else the program's "select_l", "select_m", "select_r", else no
// bezel. The title is white while closed and black while the list is open.
class MTPopUpButtonCell : public QComboBox
{
    Q_OBJECT
public:
    explicit MTPopUpButtonCell(QWidget *parent = nullptr);

    QImage leftImage() const { return m_leftImage; }
    void setLeftImage(const QImage &i) { m_leftImage = i; update(); }
    QImage middleImage() const { return m_middleImage; }
    void setMiddleImage(const QImage &i) { m_middleImage = i; update(); }
    QImage rightImage() const { return m_rightImage; }
    void setRightImage(const QImage &i) { m_rightImage = i; update(); }
    QImage titleImage() const { return m_titleImage; }
    void setTitleImage(const QImage &i) { m_titleImage = i; update(); }

    QColor titleColor() const { return m_titleColor; }
    QRectF titleRectForBounds(const QRectF &bounds) const;
    // The bezel's rectangle: the frame at the left picture's height; empty when nothing draws.
    QRectF bezelRect() const;

    // The program's pictures, loaded once; tests may replace them.
    struct ClassImages
    {
        QImage left, middle, right;
    };
    static ClassImages &classImages();

    void showPopup() override;
    void hidePopup() override;

protected:
    void paintEvent(QPaintEvent *) override;

private:
    void setTitleAttribute(const QColor &color);
    bool ownImages() const;

    QImage m_leftImage, m_rightImage, m_middleImage, m_titleImage;
    QColor m_titleColor = Qt::white;
};
