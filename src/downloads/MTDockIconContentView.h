#pragma once

#include "platform/LauncherEntry.h"

#include <QImage>
#include <QPointer>
#include <QWidget>

// The application's icon with the download progress: a pie in a disc at the lower right and the
// number of downloads. The running list feeds it; it redraws the icon of every top-level window
// and passes progress and count to the taskbar entry.
class MTDockIconContentView : public QWidget
{
    Q_OBJECT
public:
    static MTDockIconContentView *shareDockIconContentView();
    MTDockIconContentView(const QImage &image, float progress, int num, QWidget *parent = nullptr);
    ~MTDockIconContentView() override;

    void setProgress(float progress, int num);
    float progress() const { return m_progress; }
    int num() const { return m_num; }
    // The failed-download count shown as text on the taskbar ("" hides it).
    void setBadgeLabel(const QString &label) { m_badgeLabel = label; }
    QString badgeLabel() const { return m_badgeLabel; }

    // The icon as drawn at the size; the tile the windows get.
    QImage renderImage(const QSize &size) const;
    // Pushes the drawing to the window icons and the progress to the taskbar entry.
    void display();

    static QImage defaultIconImage();

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawContent(class QPainter &p, const QSizeF &size) const;

    float m_progress = 0;
    int m_num = 0;
    QImage m_logoImage;
    QString m_badgeLabel;
    LauncherEntry m_launcher;
    static QPointer<MTDockIconContentView> s_shared;
};
