#pragma once

#include "controls/TargetAction.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QObject>
#include <QRectF>
#include <QString>
#include <QVariant>

// One page item of QVToolBar. The item draws nothing and handles no events: it keeps what the
// bar needs to measure and draw it in each state, and the bar sets its state flags.
class QVToolBarItem : public QObject
{
    Q_OBJECT
public:
    explicit QVToolBarItem(const QString &itemIdentifier, QObject *parent = nullptr);

    QString itemIdentifier() const { return m_identifier; }
    QString label() const { return m_label; }
    void setLabel(const QString &label) { m_label = label; }
    QImage image() const { return m_image; }
    void setImage(const QImage &image) { m_image = image; }
    int tag() const { return m_tag; }
    void setTag(int tag) { m_tag = tag; }
    bool isEnabled() const { return m_enabled; }
    void setEnabled(bool enabled) { m_enabled = enabled; }
    // The action is sent with the item as its one argument.
    void setTarget(QObject *target, const char *method) { m_action = TargetAction(target, method); }
    const TargetAction &targetAction() const { return m_action; }

    QColor labelColor() const { return m_labelColor; }
    void setLabelColor(const QColor &c) { m_labelColor = c; }
    QFont labelFont() const { return m_labelFont; }
    void setLabelFont(const QFont &f) { m_labelFont = f; }
    int imageHorMargin() const { return m_imageHorMargin; }
    void setImageHorMargin(int m) { m_imageHorMargin = m; }
    // Values of TableGeometry::ImagePosition (0 no image ... 5 image above).
    int imagePosition() const { return m_imagePosition; }
    void setImagePosition(int p) { m_imagePosition = p; }
    bool isSelected() const { return m_selected; }
    void setSelected(bool on) { m_selected = on; }
    QFont selectedFont() const { return m_selectedFont; }
    void setSelectedFont(const QFont &f) { m_selectedFont = f; }
    QImage selectedImage() const { return m_selectedImage; }
    void setSelectedImage(const QImage &i) { m_selectedImage = i; }
    QColor selectedLabelColor() const { return m_selectedLabelColor; }
    void setSelectedLabelColor(const QColor &c) { m_selectedLabelColor = c; }
    QImage alternateImage() const { return m_alternateImage; }
    void setAlternateImage(const QImage &i) { m_alternateImage = i; }
    bool isMouseDown() const { return m_mouseDown; }
    void setMouseDown(bool on) { m_mouseDown = on; }
    bool isMouseOver() const { return m_mouseOver; }
    void setMouseOver(bool on) { m_mouseOver = on; }
    QImage disabledImage() const { return m_disabledImage; }
    void setDisabledImage(const QImage &i) { m_disabledImage = i; }
    bool isVisabled() const { return m_visabled; }
    void setVisabled(bool on) { m_visabled = on; }
    QVariant itemData() const { return m_itemData; }
    void setItemData(const QVariant &d) { m_itemData = d; }
    // The slice sheet the state slice names are taken from.
    QString imageName() const { return m_imageName; }
    void setImageName(const QString &sheet) { m_imageName = sheet; }
    QString normalSliceName() const { return m_normalSliceName; }
    void setNormalSliceName(const QString &n) { m_normalSliceName = n; }
    QString hoverSliceName() const { return m_hoverSliceName; }
    void setHoverSliceName(const QString &n) { m_hoverSliceName = n; }
    QString downSliceName() const { return m_downSliceName; }
    void setDownSliceName(const QString &n) { m_downSliceName = n; }
    QString disabledSliceName() const { return m_disabledSliceName; }
    void setDisabledSliceName(const QString &n) { m_disabledSliceName = n; }
    int drawMode() const { return m_drawMode; }
    void setDrawMode(int mode) { m_drawMode = mode; }
    bool isNewOrHot() const { return m_newOrHot; }
    void setNewOrHot(bool on) { m_newOrHot = on; }
    QImage hotImage() const { return m_hotImage; }
    void setHotImage(const QImage &i) { m_hotImage = i; }
    // Where the bar last drew the item's icon, in the bar's y-up coordinates.
    QRectF icoFrame() const { return m_icoFrame; }
    void setIcoFrame(const QRectF &r) { m_icoFrame = r; }
    bool isClickHideNewOrHot() const { return m_clickHideNewOrHot; }
    void setClickHideNewOrHot(bool on) { m_clickHideNewOrHot = on; }

    // The picture and the slice for the present state: disabled, then selected, then hover.
    QImage currentImage() const;
    QString currentSliceName() const;

private:
    QString m_identifier;
    QString m_label;
    QImage m_image;
    int m_tag = 0;
    bool m_enabled = true;
    TargetAction m_action;

    QColor m_labelColor;
    QFont m_labelFont;
    int m_imageHorMargin = 5;
    int m_imagePosition = 2;
    bool m_selected = false;
    QFont m_selectedFont;
    QImage m_selectedImage;
    QColor m_selectedLabelColor = Qt::white;
    QImage m_alternateImage;
    bool m_mouseDown = false;
    bool m_mouseOver = false;
    QImage m_disabledImage;
    bool m_visabled = true;
    QVariant m_itemData;
    QString m_imageName;
    QString m_normalSliceName;
    QString m_hoverSliceName;
    QString m_downSliceName;
    QString m_disabledSliceName;
    int m_drawMode = 0;
    bool m_newOrHot = false;
    QImage m_hotImage;
    QRectF m_icoFrame;
    bool m_clickHideNewOrHot = true;
};
