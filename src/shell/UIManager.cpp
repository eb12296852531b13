#include "shell/UIManager.h"

#include "controls/MGHoverButton.h"
#include "controls/slices/SlicesManager.h"
#include "platform/MainBundle.h"
#include "shell/UIStyle.h"

#include <QLoggingCategory>

Q_LOGGING_CATEGORY(lcLook, "shell.lookfeel")

const QStringList &UIManager::registeredSheets()
{
    static const QStringList sheets = {
        QStringLiteral("mainform"), QStringLiteral("Guidancemap"), QStringLiteral("Instructions"),
        QStringLiteral("Animation"), QStringLiteral("WebsiteCover"), QStringLiteral("tips"),
        QStringLiteral("AddConverterAnimate"), QStringLiteral("AddTransferAnimate")};
    return sheets;
}

void UIManager::setUpOnce()
{
    static const bool done = [] {
        auto &manager = SlicesManager::defaultManager();
        for (const QString &sheet : registeredSheets()) {
            const QString path = MainBundle::pathForResource(sheet, QStringLiteral("xml"));
            if (path.isEmpty()) {
                // Still found on first use through the manager's own search folders.
                qCInfo(lcLook) << "no bundle resource for slice sheet" << sheet;
                continue;
            }
            manager.addConfigFile(path);
        }
        return true;
    }();
    Q_UNUSED(done);
}

QImage UIManager::sliceNamed(const QString &slice, const QString &sheet)
{
    setUpOnce();
    return SlicesManager::defaultManager().sliceNamed(slice, sheet);
}

QImage UIManager::sliceNamedInMain(const QString &s) { return sliceNamed(s, QStringLiteral("mainform")); }
QImage UIManager::sliceNamedInDevice(const QString &s) { return sliceNamed(s, QStringLiteral("DeviceSlice")); }
QImage UIManager::sliceNamedInDeviceThumbnail(const QString &s) { return sliceNamed(s, QStringLiteral("DeviseThumbnail")); }
QImage UIManager::sliceNamedInToolbox(const QString &s) { return sliceNamed(s, QStringLiteral("ToolboxSlice")); }
QImage UIManager::sliceNamedInWindow(const QString &s) { return sliceNamed(s, QStringLiteral("WindowSlice")); }
QImage UIManager::sliceNamedInGuideMap(const QString &s) { return sliceNamed(s, QStringLiteral("Guidancemap")); }
QImage UIManager::sliceNamedInstructions(const QString &s) { return sliceNamed(s, QStringLiteral("Instructions")); }
QImage UIManager::sliceNamedInWebsiteCover(const QString &s) { return sliceNamed(s, QStringLiteral("WebsiteCover")); }
QImage UIManager::sliceNamedInAnimation(const QString &s) { return sliceNamed(s, QStringLiteral("Animation")); }
QImage UIManager::sliceNamedInAnimation2(const QString &s) { return sliceNamed(s, QStringLiteral("Animation2")); }
QImage UIManager::sliceNamedInAnimation3(const QString &s) { return sliceNamed(s, QStringLiteral("Animation3")); }
QImage UIManager::sliceNamedInAnimation4(const QString &s) { return sliceNamed(s, QStringLiteral("Animation4")); }
QImage UIManager::sliceNamedInAnimation5(const QString &s) { return sliceNamed(s, QStringLiteral("Animation5")); }

void UIManager::setupHoverButtonTheme(MGHoverButton *button, const QString &sheet,
                                      const std::shared_ptr<UIStyle> &style)
{
    if (!button || !style)
        return;
    setUpOnce();
    button->setNormalSliceName(style->normalSlice());
    button->setHoverSliceName(style->hoverSlice());
    button->setDownSliceName(style->downSlice());
    button->setDisableSliceName(style->disableSlice());
    button->setImageName(sheet);
    button->setDrawMode(style->drawMode());
    if (!style->stringValue().isNull())
        button->setTitle(style->stringValue());
    if (!style->toolTip().isNull())
        button->setToolTip(style->toolTip());
    if (style->textColor())
        button->cell()->setNormalColor(*style->textColor());
    button->update();
}

void UIManager::setupHoverButtonThemeInMain(MGHoverButton *button, const std::shared_ptr<UIStyle> &style)
{
    setupHoverButtonTheme(button, QStringLiteral("mainform"), style);
}

void UIManager::setupHoverButtonThemeInTips(MGHoverButton *button, const std::shared_ptr<UIStyle> &style)
{
    setupHoverButtonTheme(button, QStringLiteral("tips"), style);
}

void UIManager::setupHoverButtonThemeInMain(MGHoverButton *button, const QString &theme)
{
    setupHoverButtonThemeInMain(button, UIStyle::styleWithSlice(theme, QString(), QStringLiteral("")));
}
