#pragma once

#include <QRectF>
#include <QSizeF>
#include <QString>
#include <QWidget>

#include <functional>

class NotificationCenter;
class QLabel;
class QToolButton;
class SubFormatView;

// What a tile tells the format grid.
class SubFormatViewDelegate
{
public:
    virtual ~SubFormatViewDelegate() = default;
    virtual void seletedSubFormatView(int formatID, const QRectF &rect) = 0;
    virtual void seletedFormatParamInfo(int formatID) = 0;
};

// One preset tile of the format grid: picture and title; the picture grows while the pointer is
// over the tile, which then offers its settings button. Every tile follows its grid's
// "SelectedItemNotification": the tiles bearing the announced identifier show selected.
class SubFormatView : public QWidget
{
    Q_OBJECT
public:
    // The active rectangle of a tile at rest: 10 % inside each edge, cut to whole points.
    static QRectF innerRect(const QSizeF &tile);
    // The picture's frame (y-up) for a tile size, a picture of width/height ratio q, at rest or
    // enlarged.
    static QRectF pictureFrame(const QSizeF &tile, qreal ratio, bool enlarged);
    // A title too wide for the tile is cut before its first "," or else before its first " ".
    static QString shownTitle(const QString &title, qreal tileWidth, const std::function<qreal(const QString &)> &width);

    explicit SubFormatView(QWidget *parent = nullptr);
    ~SubFormatView() override;

    void setViewFrame(const QRect &frame);
    int formatID() const { return m_id; }
    void setFormatID(int id) { m_id = id; }
    QString imagePath() const { return m_imagePath; }
    void setImagePath(const QString &name);
    QString formatTitle() const { return m_title; }
    void setFormatTitle(const QString &title) { m_title = title; update(); }
    QString description() const { return m_description; }
    void setDescription(const QString &text) { m_description = text; }
    QString mtNewResolution() const { return m_mtNewResolution; }
    void setMtNewResolution(const QString &text) { m_mtNewResolution = text; }
    bool resChanged() const { return m_resChanged; }
    void setResChanged(bool on) { m_resChanged = on; }
    bool isSelected() const { return m_selected; }
    bool isHovered() const { return m_hovered; }
    void setDelegate(SubFormatViewDelegate *delegate) { m_delegate = delegate; }
    QToolButton *paramButton() const { return m_btnFormatParam; }
    QRectF pictureRect() const; // widget coordinates
    QString drawnTitle() const; // the title as drawn at rest

    // The centre the grid announces selections on.
    void observeSelections(NotificationCenter &center);
    void doFormatParam();
    void notifyItemSelectedChange(int formatID);

protected:
    void paintEvent(QPaintEvent *event) override;
    void enterEvent(QEnterEvent *event) override;
    void leaveEvent(QEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;

private:
    void placePicture(bool enlarged);
    void select();

    int m_id = 0;
    QString m_imagePath;
    QString m_title;
    QString m_description;
    QString m_mtNewResolution;
    bool m_selected = false;
    bool m_resChanged = false;
    bool m_hovered = false;
    QRectF m_oldViewRect;
    QImage m_picture;
    QRectF m_pictureRect;
    SubFormatViewDelegate *m_delegate = nullptr;
    QToolButton *m_btnFormatParam = nullptr;
};
