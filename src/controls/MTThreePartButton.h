#pragma once

#include <QAbstractButton>
#include <QColor>
#include <QFont>
#include <QImage>

// A push button whose normal and pressed looks are composed once from three pictures at the
// button's size of that moment; the title can resize the button to fit.
class MTThreePartButton : public QAbstractButton
{
    Q_OBJECT
public:
    explicit MTThreePartButton(QWidget *parent = nullptr);

    void setTitle(const QString &title);
    QString title() const { return text(); }
    void setHeadImg(const QImage &head, const QImage &body, const QImage &tail);
    void setAlterHead(const QImage &head, const QImage &body, const QImage &tail);
    // Orientation 0 keeps the left edge, 1 the centre, 2 the right edge; gap 0 counts as 3.
    void scaleToFitTitle(const QString &title, int orientation, int gap);

    QFont textFont() const { return m_textFont; }
    void setTextFont(const QFont &f) { m_textFont = f; }
    Qt::Alignment textAlignment() const { return m_textAlignment; }
    void setTextAlignment(Qt::Alignment a) { m_textAlignment = a; }
    QColor foreColor() const { return m_foreColor; }
    void setForeColor(const QColor &c) { m_foreColor = c; }
    QColor backColor() const { return m_backColor; }
    void setBackColor(const QColor &c) { m_backColor = c; }
    QImage normalImage() const { return m_normalImg; }
    QImage alternateImage() const { return m_alternateImg; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QImage compose(const QImage &head, const QImage &body, const QImage &tail) const;

    QImage m_normalImg, m_alternateImg;
    bool m_bVertical = false;
    QFont m_textFont;
    QColor m_foreColor = Qt::white;
    QColor m_backColor = Qt::transparent;
    Qt::Alignment m_textAlignment = Qt::AlignHCenter;
};
