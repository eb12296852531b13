#pragma once

#include <QLineEdit>

class QAction;

// A search field with a themed search mark and clear button. The slice pictures are drawn at
// the field's sizes; the shared pictures themselves are never resized.
class MGSearchFieldCell : public QLineEdit
{
    Q_OBJECT
public:
    explicit MGSearchFieldCell(QWidget *parent = nullptr);

    QString imageName() const { return m_imageName; }
    void setImageName(const QString &s) { m_imageName = s; }
    QString normalSliceName() const { return m_normalSliceName; }
    void setNormalSliceName(const QString &s) { m_normalSliceName = s; update(); }
    QString highlightSliceName() const { return m_highlightSliceName; }
    void setHighlightSliceName(const QString &s) { m_highlightSliceName = s; update(); }
    int drawMode() const { return m_drawMode; }
    void setDrawMode(int mode) { m_drawMode = mode; }
    void drawWithSliceName(QPainter *p, const QString &slice, const QRectF &frame) const;

    QAction *searchAction() const { return m_search; }
    QAction *cancelAction() const { return m_cancel; }

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QString m_imageName = QStringLiteral("MainSlice");
    QString m_normalSliceName;
    QString m_highlightSliceName;
    int m_drawMode = 1;
    QAction *m_search;
    QAction *m_cancel;
};
