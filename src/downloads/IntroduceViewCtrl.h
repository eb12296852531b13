#pragma once

#include <QObject>
#include <QPointer>

class QLabel;
class QWidget;

// The introduction an empty list shows inside the extension install page: the two ways a
// video gets here (the browser's download button, or a pasted address).
class IntroduceViewCtrl : public QObject
{
    Q_OBJECT

public:
    explicit IntroduceViewCtrl(QObject *parent = nullptr);
    ~IntroduceViewCtrl() override;

    // Made on first use; whoever places it becomes its parent.
    QWidget *view();

private:
    QPointer<QWidget> m_view;
    QLabel *lblTitle = nullptr;
    QLabel *img1 = nullptr;
    QLabel *img2 = nullptr;
    QLabel *lblText1 = nullptr;
    QLabel *lblText2 = nullptr;
};
