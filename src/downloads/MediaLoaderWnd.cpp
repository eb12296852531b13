#include "downloads/MediaLoaderWnd.h"

#include "controls/AppImages.h"
#include "controls/MTThreePartButton.h"
#include "platform/MainBundle.h"
#include "shell/MGMessageBox.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

QString tr1(const char *english) { return MainBundle::localizedString(english); }

QRect frameOf(const QWidget *w)
{
    return w && w->window() ? w->window()->frameGeometry() : QRect();
}

} // namespace

std::shared_ptr<MediaLoaderController> MediaLoaderWnd::importFiles(QWidget *window, const QStringList &paths,
                                                                   MediaLoaderControllerDelegate *delegate)
{
    auto loader = std::make_shared<MediaLoaderController>();
    loader->setDelegate(delegate);
    auto *sheet = new MediaLoaderWnd(window ? window->window() : nullptr);
    sheet->setLoader(loader);
    loader->runModalForMainWindow(window, paths);
    if (!loader->isLoading() && !sheet->isVisible())
        sheet->deleteLater(); // nothing to import: no sheet
    return loader;
}

MediaLoaderWnd::MediaLoaderWnd(QWidget *parent)
    : QDialog(parent, Qt::Sheet)
{
    setObjectName(QStringLiteral("MediaLoaderWnd"));
    setWindowTitle(tr1("Importing file(s)..."));
    setWindowModality(parent ? Qt::WindowModal : Qt::ApplicationModal);
    setFixedSize(420, 120);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xF4, 0xF6, 0xF7));
    setPalette(pal);

    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 14);
    layout->setSpacing(10);
    auto *row = new QHBoxLayout;
    m_spinner = new QProgressBar(this);
    m_spinner->setObjectName(QStringLiteral("MediaLoaderSpinner"));
    m_spinner->setRange(0, 0); // busy: no known end
    m_spinner->setTextVisible(false);
    m_spinner->setFixedSize(32, 8);
    row->addWidget(m_spinner, 0, Qt::AlignTop);
    m_text = new QLabel(this);
    m_text->setObjectName(QStringLiteral("MediaLoaderText"));
    m_text->setWordWrap(true);
    m_text->setTextFormat(Qt::PlainText);
    row->addWidget(m_text, 1);
    layout->addLayout(row, 1);

    m_cancel = new MTThreePartButton(this);
    m_cancel->setObjectName(QStringLiteral("MediaLoaderCancel"));
    m_cancel->resize(80, 26);
    m_cancel->setFixedHeight(26);
    const QImage cap = AppImages::named(QStringLiteral("select_l"));
    const QImage body = AppImages::named(QStringLiteral("select_m"));
    m_cancel->setHeadImg(cap, body, cap.mirrored(true, false));
    m_cancel->setAlterHead(cap, body, cap.mirrored(true, false));
    m_cancel->setForeColor(Qt::black);
    m_cancel->setTitle(QStringLiteral(" "));
    m_cancel->scaleToFitTitle(tr1("Cancel"), 2, 14);
    m_cancel->setFixedWidth(m_cancel->width());
    layout->addWidget(m_cancel, 0, Qt::AlignRight);
    connect(m_cancel, &QAbstractButton::clicked, this, [this] { cancelButtonClick(); });
}

MediaLoaderWnd::~MediaLoaderWnd()
{
    if (auto loader = m_loader.lock())
        loader->setSheet(nullptr);
}

void MediaLoaderWnd::setLoader(const std::shared_ptr<MediaLoaderController> &loader)
{
    if (auto old = m_loader.lock()) {
        old->setSheet(nullptr);
        disconnect(old.get(), nullptr, this, nullptr);
    }
    m_loader = loader;
    if (!loader)
        return;
    loader->setSheet(this);
    connect(loader.get(), &QObject::destroyed, this, [this] {
        m_loader.reset();
        hide();
        deleteLater();
    });
}

void MediaLoaderWnd::beginSheet(QObject *, const QString &progressText)
{
    setProgressText(progressText);
    m_spinner->setRange(0, 0);
    if (parentWidget()) {
        const QRect p = parentWidget()->window()->geometry();
        move(p.x() + (p.width() - width()) / 2, p.y() + 22);
    }
    open();
}

void MediaLoaderWnd::setProgressText(const QString &text)
{
    // The tool's texts break lines with "\r\n".
    QString shown = text;
    shown.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text->setText(shown);
}

void MediaLoaderWnd::setCancelEnabled(bool enabled) { m_cancel->setEnabled(enabled); }

void MediaLoaderWnd::endSheet()
{
    m_spinner->setRange(0, 1);
    m_spinner->setValue(0);
    hide();
}

void MediaLoaderWnd::showAlert(const QString &message, const QString &informativeText)
{
    QString note = informativeText;
    note.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    MGMessageBox::messageWithNote(message, QString(), note, tr1("OK"), QImage(), frameOf(parentWidget()));
}

QString MediaLoaderWnd::progressText() const { return m_text->text(); }

bool MediaLoaderWnd::isSpinning() const { return isVisible() && m_spinner->maximum() == 0; }

void MediaLoaderWnd::cancelButtonClick()
{
    if (auto loader = m_loader.lock())
        loader->cancelButtonClick();
}
