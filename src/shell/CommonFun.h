#pragma once

#include "shell/AttributedString.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <QUrl>
#include <QVariant>

#include <optional>

class QMenu;

// Helpers shared by the pages: Info.plist values and addresses, attributed texts, free file
// names, the file manager, media extension lists and image cropping. No instances.
class CommonFun
{
public:
    static QVariant mainBundleInfoForKey(const QString &key);
    static bool openMainBundleURLForKey(const QString &key);
    static bool openURL(const QString &address);
    // ISO 639 code of the user's language in lower case ("en"); empty when unknown.
    static QString localLanguage();

    // Null for empty text.
    static AttributedString makeupString(const QString &text, const QTextCharFormat &attributes);
    // Over the whole text: font and colour when given, the alignment, truncation at the end and
    // a single underline when asked.
    static AttributedString attributedString(const QString &text, const std::optional<QFont> &font,
                                             const QColor &color, Qt::Alignment alignment, bool underline);

    // Uniform in [low, high) at a resolution of 1/10000; low when both are equal at that
    // resolution.
    static float randomFloatBetween(float low, float high);
    static QString samsungToSamSung(const QString &deviceName);
    static QString durationTimeToString(qint64 seconds);
    static QString convertSizeToStr(qint64 bytes);

    // Localises the menu's title and items, sub-menus too when asked. Widgets: in fennix_shell_gui.
    static void localizeMenu(QMenu *menu, bool needLocalizeSubMenu);

    // The path when nothing is there, else "base(n).ext" in the same folder for the first free n
    // (a trailing "(digits)" of the name is replaced, not stacked). Only a look: a caller that
    // creates the file should use reserveUnUsedLocalFileName so that two tasks cannot pick the
    // same name. Empty when no name is free.
    static QString getUnUsedLocalFileName(const QString &path);
    // Like getUnUsedLocalFileName, but the name is taken by creating an empty file there
    // (O_CREAT|O_EXCL); the caller then writes it. Empty with *error set when nothing could be
    // created (missing folder, no permission, every name taken).
    static QString reserveUnUsedLocalFileName(const QString &path, QString *error = nullptr);

    static bool showFileInFinder(const QString &path);
    static bool showFileInFinders(const QList<QUrl> &urls);
    static bool showDirectoryInFinder(const QString &path);

    static QStringList convertAudioSupportTypes();
    static QStringList convertVideoSupportTypes();
    static bool isAudiofile(const QString &extension);

    // Null for a null image; else the rectangle's part of the image, at the rectangle's size.
    static QImage cropImageFromRect(const QImage &image, const QRect &rect);
    // Empty for a null image; else the left, centre and right slices of the image.
    static QList<QImage> cropThreePartImages(const QImage &image, int leftCapWidth, int centerCapWidth);

    static constexpr qint64 MaxImagePixels = 64 * 1024 * 1024;
    // Highest n tried for "base(n).ext".
    static constexpr int MaxNameSuffix = 99999;
};
