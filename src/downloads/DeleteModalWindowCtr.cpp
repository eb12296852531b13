#include "downloads/DeleteModalWindowCtr.h"

#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "platform/MainBundle.h"
#include "shell/ShellDialogParts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QMutex>
#include <QPainter>
#include <QPainterPath>

namespace {

DeleteModalWindowCtr::RunHook &runHook()
{
    static DeleteModalWindowCtr::RunHook hook;
    return hook;
}

QString tr1(const char *english) { return MainBundle::localizedString(english); }

QString questionForType(int type)
{
    if (type == DeleteModalWindowCtr::AllItems)
        return tr1("Are you sure you want to delete all") + QLatin1Char('\n') + tr1("of the items from the list?");
    return tr1("Are you sure you want to delete the item(s) from the list?");
}

// A round bin sign in the accent colour, drawn once.
QPixmap deleteIcon()
{
    return ShellDialogParts::accentBadge([](QPainter &p) {
        p.setPen(QPen(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        p.drawLine(QPointF(14, 15), QPointF(30, 15));
        p.drawLine(QPointF(19, 15), QPointF(20, 12));
        p.drawLine(QPointF(20, 12), QPointF(24, 12));
        p.drawLine(QPointF(24, 12), QPointF(25, 15));
        QPainterPath bin;
        bin.moveTo(16, 17);
        bin.lineTo(17.5, 31);
        bin.lineTo(26.5, 31);
        bin.lineTo(28, 17);
        p.drawPath(bin);
        p.drawLine(QPointF(22, 20), QPointF(22, 28));
    });
}

} // namespace

void DeleteModalWindowCtr::setRunHookForTesting(RunHook hook)
{
    runHook() = std::move(hook);
}

DeleteModalWindowCtr *DeleteModalWindowCtr::shareDeleteModalWindowCtr()
{
    static QMutex lock;
    static DeleteModalWindowCtr *shared = nullptr;
    QMutexLocker locker(&lock);
    // Kept for the life of the application.
    if (!shared)
        shared = new DeleteModalWindowCtr;
    return shared;
}

DeleteModalWindowCtr::DeleteModalWindowCtr(QWidget *parent)
    : ShellDialog(parent)
{
    setObjectName(QStringLiteral("DeleteModalWindowCtr"));
    setModal(true);
    resize(Width, Height);

    m_iconImageView = new QLabel(this);
    m_iconImageView->setPixmap(deleteIcon());
    m_lblTip = ShellDialogParts::wrappedLabel(this, Qt::AlignLeft | Qt::AlignVCenter, 13, QStringLiteral("#2f3439"));

    m_checkButton = new MGCheckButton(this);
    m_checkButton->setObjectName(QStringLiteral("checkButton"));
    m_checkButton->setTitle(tr1("Delete original file(s) as well."));
    m_checkButton->setState(0);

    m_cancelButton = ShellDialogParts::dialogButton(this, QStringLiteral("cancelButton"), MGHoverButton::DisplayFilled,
                                                    tr1("Cancel"));
    m_deleteButton = ShellDialogParts::dialogButton(this, QStringLiteral("deleteButton"), MGHoverButton::DisplayDialog,
                                                    tr1("Delete"));
    m_cancelButton->setFocusPolicy(Qt::StrongFocus);
    m_deleteButton->setFocusPolicy(Qt::StrongFocus);
    connect(m_cancelButton, &QAbstractButton::clicked, this, &DeleteModalWindowCtr::cancelButton);
    connect(m_deleteButton, &QAbstractButton::clicked, this, &DeleteModalWindowCtr::deleteButtion);

    setTitleText(tr1("Fennix Pro"));
    m_lblTip->setText(questionForType(SelectedItems));
    layoutControls();
    m_cancelButton->setFocus();
}

void DeleteModalWindowCtr::setDisplayType(int type)
{
    m_displayType = type;
    m_lblTip->setText(questionForType(type));
    m_deleteButton->setTitle(tr1("Delete"));
    m_checkButton->setTitle(tr1("Delete original file(s) as well."));
    // Every question starts with the box off.
    m_checkButton->setState(0);
    m_cancelButton->setFocus();
    layoutControls();
}

void DeleteModalWindowCtr::setCheckHidden(bool hidden)
{
    m_checkButton->setHidden(hidden);
}

int DeleteModalWindowCtr::runModal()
{
    m_result = Cancel;
    if (runHook())
        runHook()(this);
    show();
    raise();
    activateWindow();
    m_cancelButton->setFocus();
    // Closing the window any other way than through its buttons leaves the answer at Cancel.
    exec();
    return m_result;
}

int DeleteModalWindowCtr::ask(const QRect &parentRect, int type, bool checkHidden)
{
    DeleteModalWindowCtr *window = shareDeleteModalWindowCtr();
    if (!window)
        return Cancel;
    window->setFrameOriginWithParentRect(parentRect);
    window->setDisplayType(type);
    window->setCheckHidden(checkHidden);
    return window->runModal();
}

int DeleteModalWindowCtr::showDeleteItemsTip(const QRect &parentRect) { return ask(parentRect, SelectedItems, false); }
int DeleteModalWindowCtr::showDeleteOneItemTip(const QRect &parentRect) { return ask(parentRect, SelectedItems, false); }
int DeleteModalWindowCtr::showDeleteAllItemsTip(const QRect &parentRect) { return ask(parentRect, AllItems, false); }
int DeleteModalWindowCtr::showDeleteItemsTipHiddenCheck(const QRect &parentRect)
{
    return ask(parentRect, SelectedItems, true);
}
int DeleteModalWindowCtr::showDeleteAllItemsTipHiddenCheck(const QRect &parentRect)
{
    return ask(parentRect, AllItems, true);
}

void DeleteModalWindowCtr::cancelButton()
{
    m_result = Cancel;
    hide();
    done(Cancel);
}

void DeleteModalWindowCtr::deleteButtion()
{
    m_result = (!m_checkButton->isHidden() && m_checkButton->state() == 1) ? DeleteWithFiles : Delete;
    hide();
    done(m_result);
}

void DeleteModalWindowCtr::keyPressEvent(QKeyEvent *event)
{
    // Return answers the button that has the focus; Cancel has it from the start.
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (m_deleteButton->hasFocus())
            deleteButtion();
        else
            cancelButton();
        return;
    }
    ShellDialog::keyPressEvent(event);
}

void DeleteModalWindowCtr::resizeEvent(QResizeEvent *event)
{
    ShellDialog::resizeEvent(event);
    layoutControls();
}

void DeleteModalWindowCtr::layoutControls()
{
    const int W = width(), H = height();
    const int top = TitleStripHeight + 18;
    m_iconImageView->setGeometry(24, top, 44, 44);
    m_lblTip->setGeometry(84, top - 2, W - 84 - 24, 48);
    m_checkButton->setGeometry(84, top + 48, std::max(120, m_checkButton->sizeHint().width()), 24);
    ShellDialogParts::placeButtonsFromRight({m_deleteButton, m_cancelButton}, W - 20, H - 48, 88, 30);
}
