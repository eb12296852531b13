#pragma once

#include <QImage>
#include <QString>

#include <memory>

class MGHoverButton;
class UIStyle;

// The single entry to the slice sheets and to button themes. Class operations only.
class UIManager
{
public:
    UIManager() = delete;

    // The eight sheets registered with the slice manager at first use, in order.
    static const QStringList &registeredSheets();

    static QImage sliceNamed(const QString &slice, const QString &sheet);
    static QImage sliceNamedInMain(const QString &slice);
    static QImage sliceNamedInDevice(const QString &slice);
    static QImage sliceNamedInDeviceThumbnail(const QString &slice);
    static QImage sliceNamedInToolbox(const QString &slice);
    static QImage sliceNamedInWindow(const QString &slice);
    static QImage sliceNamedInGuideMap(const QString &slice);
    static QImage sliceNamedInstructions(const QString &slice);
    static QImage sliceNamedInWebsiteCover(const QString &slice);
    static QImage sliceNamedInAnimation(const QString &slice);
    static QImage sliceNamedInAnimation2(const QString &slice);
    static QImage sliceNamedInAnimation3(const QString &slice);
    static QImage sliceNamedInAnimation4(const QString &slice);
    static QImage sliceNamedInAnimation5(const QString &slice);

    static void setupHoverButtonTheme(MGHoverButton *button, const QString &sheet,
                                      const std::shared_ptr<UIStyle> &style);
    static void setupHoverButtonThemeInMain(MGHoverButton *button, const std::shared_ptr<UIStyle> &style);
    static void setupHoverButtonThemeInTips(MGHoverButton *button, const std::shared_ptr<UIStyle> &style);
    static void setupHoverButtonThemeInMain(MGHoverButton *button, const QString &theme);

private:
    static void setUpOnce();
};
