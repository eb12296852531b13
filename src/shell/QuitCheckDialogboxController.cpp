#include "shell/QuitCheckDialogboxController.h"

#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"
#include "shell/NSWindowCommon.h"
#include "shell/ShellDialogParts.h"

#include <QKeyEvent>
#include <QLabel>
#include <QPainter>

namespace {

QuitCheckDialogboxController::RunHook &runHook()
{
    static QuitCheckDialogboxController::RunHook hook;
    return hook;
}

// A round warning sign in the accent colour, drawn once.
QPixmap warningIcon()
{
    return ShellDialogParts::accentBadge([](QPainter &p) {
        p.setPen(Qt::white);
        QFont f;
        f.setPixelSize(26);
        f.setBold(true);
        p.setFont(f);
        p.drawText(QRect(0, 0, 44, 44), Qt::AlignCenter, QStringLiteral("!"));
    });
}

} // namespace

void QuitCheckDialogboxController::setRunHookForTesting(RunHook hook)
{
    runHook() = std::move(hook);
}

QuitCheckDialogboxController::QuitCheckDialogboxController(QWidget *parent) : ShellDialog(parent)
{
    setObjectName(QStringLiteral("QuitCheckDialogbox"));
    setModal(true);
    resize(Width, NibHeight);

    m_icon = new QLabel(this);
    m_icon->setPixmap(warningIcon());
    m_text = ShellDialogParts::wrappedLabel(this, Qt::AlignLeft | Qt::AlignTop, 13, QStringLiteral("#2f3439"));

    m_checkbox = new MGCheckButton(this);
    m_checkbox->setTitle(MainBundle::localizedString("Don't ask me again"));
    m_checkbox->hide();

    m_okBtn = ShellDialogParts::dialogButton(this, QStringLiteral("okButton"), MGHoverButton::DisplayDialog,
                                             MainBundle::localizedString("OK"));
    m_cancelBtn = ShellDialogParts::dialogButton(this, QStringLiteral("cancelButton"), MGHoverButton::DisplayDialog,
                                                 MainBundle::localizedString("Cancel"));
    connect(m_okBtn, &QAbstractButton::clicked, this, &QuitCheckDialogboxController::clickQuit);
    connect(m_cancelBtn, &QAbstractButton::clicked, this, &QuitCheckDialogboxController::clickCancel);
    setTitleText(MainBundle::localizedString("Fennix Pro"));
    layoutControls();
}

QString QuitCheckDialogboxController::keyForType(int type)
{
    if (type == 5)
        return QStringLiteral("isShowquitWhentaskRunning");
    if (type == 2)
        return QStringLiteral("AlertWhenDeleteAllDownloading");
    return QStringLiteral("AlertWhenDeleteDownloading");
}

void QuitCheckDialogboxController::setupForType(int type)
{
    m_windowType = type;
    QString question;
    QString confirm;
    bool defaultIsConfirm = false;
    switch (type) {
    case 0:
    case 1:
        question = MainBundle::localizedString("Are you sure you want to delete these task(s) from the downloading queue?");
        confirm = MainBundle::localizedString("Delete");
        break;
    case 2:
        question = MainBundle::localizedString("Are you sure you want to delete all of the tasks from the downloading queue?");
        confirm = MainBundle::localizedString("Delete");
        break;
    case 5:
        question = MainBundle::localizedString("Some tasks are in progress, are you sure you want to quit?");
        confirm = MainBundle::localizedString("Quit");
        defaultIsConfirm = true;
        break;
    default:
        return;  // types 3 and 4 run as loaded
    }
    m_text->setText(question);
    m_okBtn->setTitle(confirm);
    m_checkbox->show();
    m_defaultIsConfirm = defaultIsConfirm;
    if (type != 5)
        resize(width(), NibHeight - 15);
    layoutControls();
}

int QuitCheckDialogboxController::runModalForType(int type)
{
    setupForType(type);
    NSWindowCommon::moveToWindowCenter(this, parentWidget() ? parentWidget()->window() : nullptr);
    if (runHook())
        runHook()(this);
    show();
    raise();
    exec();
    return m_returncode;
}

void QuitCheckDialogboxController::clickQuit()
{
    if (!m_checkbox->isHidden() && m_checkbox->state() == 1) {
        UserDefaults &d = UserDefaults::standard();
        d.setBool(keyForType(m_windowType), false);
        d.synchronize();
    }
    m_returncode = Confirmed;
    hide();
    done(Confirmed);
}

void QuitCheckDialogboxController::clickCancel()
{
    m_returncode = Cancelled;
    hide();
    done(Cancelled);
}

void QuitCheckDialogboxController::keyPressEvent(QKeyEvent *e)
{
    if (e->key() == Qt::Key_Return || e->key() == Qt::Key_Enter) {
        m_defaultIsConfirm ? clickQuit() : clickCancel();
        return;
    }
    ShellDialog::keyPressEvent(e);
}

void QuitCheckDialogboxController::resizeEvent(QResizeEvent *e)
{
    ShellDialog::resizeEvent(e);
    layoutControls();
}

void QuitCheckDialogboxController::layoutControls()
{
    const int W = width(), H = height();
    const int top = TitleStripHeight + 16;
    m_icon->setGeometry(24, top, 44, 44);
    m_text->setGeometry(84, top, W - 84 - 24, 44);
    m_checkbox->setGeometry(84, H - 48, std::max(120, m_checkbox->sizeHint().width()), 28);
    // The confirming button sits at the right edge; "Cancel" to its left.
    ShellDialogParts::placeButtonsFromRight({m_okBtn, m_cancelBtn}, W - 20, H - 48, 88, 30);
}
