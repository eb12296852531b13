#pragma once

#include <QComboBox>
#include <QImage>
#include <QStringList>

// The converter's pop-up button: drawn from the three-part pictures that start-up cuts from the
// "MainWnd" sheet ("VCPopupBtnLeftN", "VCPopupBtnFillN", "VCPopupBtnRightN" and the pressed
// "…P" ones), dark text, grey while disabled. Always the small control size.
class VCPopUpButton : public QComboBox
{
    Q_OBJECT
public:
    // Where the picture stands against the title.
    enum class ImagePosition { NoImage,
                               ImageOnly,
                               ImageLeft,
                               ImageRight,
                               ImageBelow,
                               ImageAbove,
                               ImageOverlaps };

    explicit VCPopUpButton(QWidget *parent = nullptr);

    // Draw the pressed pictures even at rest.
    bool bUsePushDownImage() const { return m_bUsePushDownImage; }
    void setBUsePushDownImage(bool on);
    // A pull-down button (a menu of commands) gets its own right cap.
    bool pullsDown() const { return m_pullsDown; }
    void setPullsDown(bool on);

    // The picture drawn with the title, unscaled; without one, the current item's icon. The name
    // "NSActionTemplate" marks the action picture, which is drawn 10 x 10 whatever its size.
    void setImage(const QImage &image, const QString &name = QString());
    QImage image() const { return m_image; }
    ImagePosition imagePosition() const { return m_imagePosition; }
    void setImagePosition(ImagePosition position);

    // The pictures (left cap, fill, right cap) for a state.
    static QStringList bezelImageNames(bool highlighted, bool usePushDownImage, bool pullsDown);
    // The size a picture is drawn at.
    static QSize drawnImageSize(const QSize &imageSize, const QString &name);
    // Where the picture and the title go inside the button's bounds.
    static QRect imageRectForBounds(const QRect &bounds, const QSize &imageSize, ImagePosition position);
    static QRect titleRectForBounds(const QRect &bounds, const QSize &imageSize, ImagePosition position,
                                    Qt::Alignment alignment);
    // The gear of an action menu, for buttons that have no picture of their own for it.
    static QImage actionTemplateImage();

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage shownImage(QSize *drawnSize) const;

    QImage m_image;
    QString m_imageName;
    ImagePosition m_imagePosition = ImagePosition::ImageLeft;
    bool m_bUsePushDownImage = false;
    bool m_pullsDown = false;
};
