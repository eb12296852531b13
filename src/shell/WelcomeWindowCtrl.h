#pragma once

#include "shell/ShellDialog.h"

#include <QImage>
#include <QList>

class MGHoverButton;
class QPushButton;

// The pictures of the "What's New" carousel, side by side, 574 by 367 points each.
class WelcomeView : public QWidget
{
    Q_OBJECT
public:
    static constexpr int CellWidth = 574;
    static constexpr int CellHeight = 367;
    WelcomeView(const QList<QImage> &images, QWidget *parent = nullptr);
    int imageNumber() const { return int(m_imagesArray.size()); }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    QList<QImage> m_imagesArray;
};

// "What's New": a carousel of the pictures "whatsnew_2" to "whatsnew_4" that ship, with
// previous, next and page buttons.
class WelcomeWindowCtrl : public ShellDialog
{
    Q_OBJECT
public:
    // The shipped pictures, in order.
    static QList<QImage> bundledImages();
    explicit WelcomeWindowCtrl(const QList<QImage> &images = bundledImages(), QWidget *parent = nullptr);

    void gotoNext();
    void gotoPrevious();
    void showPicture(int page);
    int index() const { return m_index; }
    WelcomeView *pictureView() const { return m_pictureView; }
    QWidget *buttonView() const { return m_buttonView; }
    QList<QPushButton *> pageButtons() const { return m_pageButtons; }
    QPushButton *previousButton() const { return m_gotoPreviousBtn; }
    QPushButton *nextButton() const { return m_gotoNextBtn; }

private:
    WelcomeView *m_pictureView;
    QWidget *m_buttonView;
    QPushButton *m_gotoNextBtn;
    QPushButton *m_gotoPreviousBtn;
    QList<QPushButton *> m_pageButtons;
    int m_index = 1;
};
