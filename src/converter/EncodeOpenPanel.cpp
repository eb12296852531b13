#include "converter/EncodeOpenPanel.h"

#include "converter/ConverterGlobal.h"
#include "converter/IM_MediaItemExtended.h"
#include "platform/log/ScribletLogger.h"
#include "platform/AppPaths.h"
#include "platform/MainBundle.h"

#include <QComboBox>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>

namespace {

const char *const kLastSubtitleFolder = "EncodeOpenPanel/LastSubtitleFolder";

} // namespace

EncodeOpenPanel *EncodeOpenPanel::encodeOpenPanel()
{
    static EncodeOpenPanel *panel = new EncodeOpenPanel;
    return panel;
}

EncodeOpenPanel::EncodeOpenPanel(QWidget *parent) : QFileDialog(parent)
{
    setOption(QFileDialog::DontUseNativeDialog, true);  // the accessory row lives in Qt's own dialog
    setOption(QFileDialog::DontResolveSymlinks, true);
    setFileMode(QFileDialog::ExistingFile);
    const QString title = MainBundle::localizedString("Load Subtitle");
    setWindowTitle(title);
    setLabelText(QFileDialog::Accept, title);
    setLabelText(QFileDialog::FileName, title);

    m_accessoryView = new QWidget(this);
    m_accessoryView->setFixedSize(350, 25);
    m_caption = new QLabel(MainBundle::localizedString("Encoding:"), m_accessoryView);
    m_caption->setGeometry(0, 0, 100, 22);
    m_caption->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_popBtnEncodeList = new QComboBox(m_accessoryView);
    m_popBtnEncodeList->setGeometry(100, 0, 250, 25);
    connect(m_popBtnEncodeList, &QComboBox::activated, this, &EncodeOpenPanel::clickSubtitleEncodingPopBtn);
    if (auto *grid = qobject_cast<QGridLayout *>(layout()))
        grid->addWidget(m_accessoryView, grid->rowCount(), 0, 1, grid->columnCount());
}

QString EncodeOpenPanel::startFolder()
{
    if (g_productSettings) {
        const QString remembered = g_productSettings->stringValueForKey(QLatin1String(kLastSubtitleFolder));
        if (!remembered.isEmpty() && QFileInfo(remembered).isDir())
            return remembered;
    }
    return AppPaths::movies();
}

void EncodeOpenPanel::beginSheetForDirectory(const QString &folder, const QString &file, const QStringList &types,
                                             QWidget *window, std::function<void(int)> didEnd)
{
    if (m_popBtnEncodeList->count() == 0) {
        m_popBtnEncodeList->addItems(IM_MediaItemExtended::externalSubtitleFontCodePagesArrayDescriptionExtend());
        m_popBtnEncodeList->setCurrentIndex(
            int(IM_MediaItemExtended::externalSubtitleFontCodePagesArrayExtend().indexOf(g_strDefaultSubtitleEncoding)));
    }
    setDirectory(folder.isEmpty() ? startFolder() : folder);
    if (!file.isEmpty())
        selectFile(file);
    const QStringList extensions = types.isEmpty() ? IM_MediaItem::arrayOfSupportedExternalSubtitleExtensions() : types;
    QStringList patterns;
    for (const QString &ext : extensions)
        patterns << QStringLiteral("*.") + ext;
    setNameFilter(MainBundle::localizedString("Subtitles") + QStringLiteral(" (") + patterns.join(u' ') + QLatin1Char(')'));
    if (window) {
        setParent(window, windowFlags() | Qt::Sheet);
        setWindowModality(Qt::WindowModal);
    }
    m_didEnd = std::move(didEnd);
    disconnect(this, &QDialog::finished, nullptr, nullptr);
    connect(this, &QDialog::finished, this, [this](int result) {
        if (m_didEnd)
            m_didEnd(result);
    });
    open();
}

QString EncodeOpenPanel::selectedEncoding() const
{
    const QStringList codes = IM_MediaItemExtended::externalSubtitleFontCodePagesArrayExtend();
    const int index = m_popBtnEncodeList->currentIndex();
    return index >= 0 && index < codes.size() ? codes[index] : QStringLiteral("UTF-8");
}

void EncodeOpenPanel::accept()
{
    if (m_encodeDelegate) {
        const QStringList chosen = selectedFiles();
        const QString path = chosen.isEmpty() ? QString() : chosen.first();
        if (!path.isEmpty() && g_productSettings)
            g_productSettings->setStringValue(QFileInfo(path).absolutePath(), QLatin1String(kLastSubtitleFolder));
        const QString code = selectedEncoding();
        if (path.isEmpty() || code.isEmpty() || !m_encodeDelegate->shouldLoadSubtitleWithPath(path, code)) {
            ScribletLogInfo(QStringLiteral("XXXXXXXXXXXXXXXXXXXXXXXXXXXXXX   Should not load the subtitle."));
            return;  // the panel stays open
        }
    }
    QFileDialog::accept();
}
