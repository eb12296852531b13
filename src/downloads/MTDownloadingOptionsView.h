#pragma once

#include <QImage>
#include <QWidget>

// The bottom bar of the running list: its face is the "DownloadingBottomMiddle" picture laid
// as a pattern anchored at the window, so neighbouring bars line up seamlessly.
class MTDownloadingOptionsView : public QWidget
{
    Q_OBJECT
public:
    explicit MTDownloadingOptionsView(QWidget *parent = nullptr);

    QImage leftImage() const { return m_left; }
    QImage rightImage() const { return m_right; }
    QImage middleImage() const { return m_middle; }

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage m_left;
    QImage m_right;
    QImage m_middle;
};
