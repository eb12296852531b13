#include "shell/WelcomeWindowCtrl.h"

#include "platform/MainBundle.h"

#include <QPainter>
#include <QPropertyAnimation>
#include <QPushButton>

WelcomeView::WelcomeView(const QList<QImage> &images, QWidget *parent)
    : QWidget(parent)
    , m_imagesArray(images)
{
    resize(CellWidth * imageNumber(), CellHeight);
}

void WelcomeView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    for (int i = 0; i < m_imagesArray.size(); ++i)
        p.drawImage(QRect(i * CellWidth, 0, CellWidth, CellHeight), m_imagesArray[i]);
}

QList<QImage> WelcomeWindowCtrl::bundledImages()
{
    QList<QImage> images;
    for (const char *name : {"whatsnew_2", "whatsnew_3", "whatsnew_4"}) {
        const QString path = MainBundle::pathForResource(QString::fromLatin1(name), QStringLiteral("png"));
        const QImage image = path.isEmpty() ? QImage() : QImage(path);
        if (!image.isNull())
            images << image;
    }
    return images;
}

WelcomeWindowCtrl::WelcomeWindowCtrl(const QList<QImage> &images, QWidget *parent)
    : ShellDialog(parent)
{
    setObjectName(QStringLiteral("WelcomeWindow"));
    setTitleText(MainBundle::localizedString("What's New"));
    setFixedSize(WelcomeView::CellWidth, TitleStripHeight + WelcomeView::CellHeight + 44);
    m_buttonView = new QWidget(this);
    m_buttonView->setGeometry(0, TitleStripHeight, WelcomeView::CellWidth, WelcomeView::CellHeight);
    m_pictureView = new WelcomeView(images, m_buttonView);
    m_pictureView->move(0, 0);
    m_gotoPreviousBtn = new QPushButton(QStringLiteral("‹"), this);
    m_gotoNextBtn = new QPushButton(QStringLiteral("›"), this);
    m_gotoPreviousBtn->setGeometry(8, TitleStripHeight + WelcomeView::CellHeight / 2 - 16, 28, 32);
    m_gotoNextBtn->setGeometry(WelcomeView::CellWidth - 36, TitleStripHeight + WelcomeView::CellHeight / 2 - 16, 28, 32);
    connect(m_gotoPreviousBtn, &QPushButton::clicked, this, &WelcomeWindowCtrl::gotoPrevious);
    connect(m_gotoNextBtn, &QPushButton::clicked, this, &WelcomeWindowCtrl::gotoNext);
    const int count = m_pictureView->imageNumber();
    QList<QPushButton *> visible;
    for (int page = 1; page <= 5; ++page) {
        auto *b = new QPushButton(this);
        b->setFixedSize(12, 12);
        b->setFlat(true);
        connect(b, &QPushButton::clicked, this, [this, page] {
            if (page != m_index)
                showPicture(page);
        });
        const bool shown = count >= 2 && page <= count;
        b->setVisible(shown);
        if (shown)
            visible << b;
        m_pageButtons << b;
    }
    // The visible page buttons in a centred row, 10 points apart.
    const int rowWidth = int(visible.size()) * 12 + qMax(0, int(visible.size()) - 1) * 10;
    int x = (WelcomeView::CellWidth - rowWidth) / 2;
    for (QPushButton *b : visible) {
        b->move(x, TitleStripHeight + WelcomeView::CellHeight + 16);
        x += 22;
    }
    showPicture(1);
}

void WelcomeWindowCtrl::showPicture(int page)
{
    const int count = m_pictureView->imageNumber();
    page = qBound(1, page, qMax(1, count));
    m_index = page;
    const QPoint target(page == 1 ? 0 : (1 - page) * m_buttonView->width(), 0);
    auto *animation = new QPropertyAnimation(m_pictureView, "pos", m_pictureView);
    animation->setDuration(500);
    animation->setEndValue(target);
    animation->start(QAbstractAnimation::DeleteWhenStopped);
    for (int i = 0; i < m_pageButtons.size(); ++i)
        m_pageButtons[i]->setStyleSheet(i + 1 == page ? QStringLiteral("background: #248c4f; border-radius: 6px;")
                                                      : QStringLiteral("background: #cfd6db; border-radius: 6px;"));
    m_gotoPreviousBtn->setVisible(page > 1);
    m_gotoNextBtn->setVisible(page < count);
}

void WelcomeWindowCtrl::gotoNext()
{
    showPicture(m_index + 1);
}

void WelcomeWindowCtrl::gotoPrevious()
{
    showPicture(m_index > 0 ? m_index - 1 : 1);
}
