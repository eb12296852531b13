#pragma once

#include <QImage>
#include <QStringList>
#include <QWidget>

// A short list of text rows on an arrow-shaped background drawn from three pictures. A click
// on a row reports it (0 = the first row added) with the owner's type number.
class MTArrowPopView : public QWidget
{
    Q_OBJECT
public:
    // Picture names as for AppImages::named(); empty names give no picture.
    MTArrowPopView(const QString &head, const QString &body, const QString &tail, bool vertical,
                   QWidget *parent = nullptr);

    void addOneRowString(const QString &row);
    QStringList rows() const { return m_rowStringArray; }  // the most recently added first
    void setType(int type) { m_type = type; }
    int type() const { return m_type; }
    QImage headImg() const { return m_headImg; }
    void setHeadImg(const QImage &i) { m_headImg = i; update(); }
    QImage bodyImg() const { return m_bodyImg; }
    void setBodyImg(const QImage &i) { m_bodyImg = i; update(); }
    QImage tailImg() const { return m_tailImg; }
    void setTailImg(const QImage &i) { m_tailImg = i; update(); }
    bool isHighlighted() const { return m_bMouseDown; }
    int downRow() const { return m_nDownRow; }

signals:
    void didClickAtRow(MTArrowPopView *view, int row, int type);

protected:
    void paintEvent(QPaintEvent *) override;
    void mouseMoveEvent(QMouseEvent *e) override;
    void mousePressEvent(QMouseEvent *e) override;
    void leaveEvent(QEvent *e) override;

private:
    QImage m_headImg, m_bodyImg, m_tailImg;
    bool m_bVertical = false;
    bool m_bMouseDown = false;
    int m_nDownRow = 0;
    QStringList m_rowStringArray;
    int m_type = 0;
};
