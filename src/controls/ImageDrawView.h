#pragma once

#include <QImage>
#include <QWidget>

// Paints one image (mode 0: full width at its own height, on the top edge) or one named slice
// (mode 1 three-part, mode 2 nine-part).
class ImageDrawView : public QWidget
{
    Q_OBJECT
public:
    using QWidget::QWidget;

    QImage drawImage() const { return m_image; }
    void setDrawImage(const QImage &i) { m_image = i; update(); }
    int drawMode() const { return m_mode; }
    void setDrawMode(int m) { m_mode = m; update(); }
    // The sheet's name and the slice's name in it.
    QString sliceName() const { return m_sheet; }
    void setSliceName(const QString &sheet) { m_sheet = sheet; update(); }
    QString drawName() const { return m_slice; }
    void setDrawName(const QString &slice) { m_slice = slice; update(); }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QImage m_image;
    int m_mode = 0;
    QString m_sheet;
    QString m_slice;
};
