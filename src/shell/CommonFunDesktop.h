#pragma once

#include "shell/AttributedString.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QUrl>

#include <optional>

class QMenu;

// The desktop half of the pages' helpers (CommonFun holds the headless half): addresses and
// files handed to the desktop, attributed texts, menus and image cropping. No instances.
class CommonFunDesktop
{
public:
    // The address stored under key in Info.plist, opened by the desktop.
    static bool openMainBundleURLForKey(const QString &key);
    static bool openURL(const QString &address);

    // Null for empty text.
    static AttributedString makeupString(const QString &text, const QTextCharFormat &attributes);
    // Over the whole text: font and colour when given, the alignment, truncation at the end and
    // a single underline when asked.
    static AttributedString attributedString(const QString &text, const std::optional<QFont> &font,
                                             const QColor &color, Qt::Alignment alignment, bool underline);

    // Localises the menu's title and items, sub-menus too when asked.
    static void localizeMenu(QMenu *menu, bool needLocalizeSubMenu);

    static bool showFileInFinder(const QString &path);
    static bool showFileInFinders(const QList<QUrl> &urls);
    static bool showDirectoryInFinder(const QString &path);

    // Null for a null image; else the rectangle's part of the image, at the rectangle's size.
    static QImage cropImageFromRect(const QImage &image, const QRect &rect);
    // Empty for a null image; else the left, centre and right slices of the image.
    static QList<QImage> cropThreePartImages(const QImage &image, int leftCapWidth, int centerCapWidth);

    static constexpr qint64 MaxImagePixels = 64 * 1024 * 1024;
};
