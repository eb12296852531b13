#pragma once

#include <QLineEdit>

// A text field drawn on a themed frame: the normal slice at rest, the highlight slice while
// it is being edited. Without editing or selection it draws as a plain label.
class MGTextFieldCell : public QLineEdit
{
    Q_OBJECT
public:
    explicit MGTextFieldCell(QWidget *parent = nullptr);

    QString imageName() const { return m_imageName; }
    void setImageName(const QString &s) { m_imageName = s; update(); }
    QString normalSliceName() const { return m_normalSliceName; }
    void setNormalSliceName(const QString &s) { m_normalSliceName = s; update(); }
    QString highlightSliceName() const { return m_highlightSliceName; }
    void setHighlightSliceName(const QString &s) { m_highlightSliceName = s; update(); }
    int drawMode() const { return m_drawMode; }
    void setDrawMode(int mode) { m_drawMode = mode; update(); }
    void setSelectable(bool on) { m_selectable = on; }

    // The slice for the present state (empty: the platform's own frame).
    QString currentSliceName() const;
    void drawWithSliceName(QPainter *p, const QString &slice, const QRectF &frame) const;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_imageName = QStringLiteral("DeviceSlice");
    QString m_normalSliceName = QStringLiteral("device-195_");
    QString m_highlightSliceName = QStringLiteral("device-204_");
    int m_drawMode = 1;
    bool m_selectable = true;
};
