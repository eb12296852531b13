#include "shell/CommonFunDesktop.h"

#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"
#include "platform/Workspace.h"
#include "shell/NSStringURL.h"

#include <QAction>
#include <QMenu>
#include <QPainter>

bool CommonFunDesktop::openMainBundleURLForKey(const QString &key)
{
    const QString value = MainBundle::infoValue(key).toString();
    if (value.isEmpty()) {
        ScribletLogDebug(QStringLiteral("openMainBundleURLForKey %1 falied.").arg(key));
        return false;
    }
    return openURL(value);
}

bool CommonFunDesktop::openURL(const QString &address)
{
    if (address.isEmpty()) {
        ScribletLogDebug(QStringLiteral("openURL urlStr is nil."));
        return false;
    }
    const QUrl url(NSStringURL::UTF8URL(address), QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty()) {
        ScribletLogDebug(QStringLiteral("openURL create URL %1 failed.").arg(address));
        return false;
    }
    return Workspace::openUrl(url);
}

AttributedString CommonFunDesktop::makeupString(const QString &text, const QTextCharFormat &attributes)
{
    if (text.isEmpty())
        return {};
    return AttributedString(text, attributes);
}

AttributedString CommonFunDesktop::attributedString(const QString &text, const std::optional<QFont> &font,
                                                    const QColor &color, Qt::Alignment alignment, bool underline)
{
    if (text.isEmpty())
        return AttributedString(QString());
    QTextCharFormat format;
    if (font)
        format.setFont(*font);
    if (color.isValid())
        format.setForeground(color);
    if (underline)
        format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    AttributedString out(text, format);
    out.setAlignment(alignment);
    out.setElideMode(Qt::ElideRight);
    return out;
}

void CommonFunDesktop::localizeMenu(QMenu *menu, bool needLocalizeSubMenu)
{
    if (!menu)
        return;
    if (!menu->title().isEmpty())
        menu->setTitle(MainBundle::localizedString(menu->title()));
    const QList<QAction *> actions = menu->actions();
    for (QAction *action : actions) {
        if (!action->text().isEmpty())
            action->setText(MainBundle::localizedString(action->text()));
        if (needLocalizeSubMenu && action->menu())
            localizeMenu(action->menu(), needLocalizeSubMenu);
    }
}

bool CommonFunDesktop::showFileInFinder(const QString &path)
{
    return Workspace::revealInFileManager({path});
}

bool CommonFunDesktop::showFileInFinders(const QList<QUrl> &urls)
{
    QStringList paths;
    for (const QUrl &url : urls) {
        if (url.isLocalFile())
            paths << url.toLocalFile();
    }
    if (paths.isEmpty())
        return false;
    return Workspace::revealInFileManager(paths);
}

bool CommonFunDesktop::showDirectoryInFinder(const QString &path)
{
    return Workspace::openFolder(path);
}

QImage CommonFunDesktop::cropImageFromRect(const QImage &image, const QRect &rect)
{
    if (image.isNull() || rect.width() <= 0 || rect.height() <= 0)
        return {};
    // Slices are small; a wild rectangle must not become a huge allocation.
    if (qint64(rect.width()) * rect.height() > MaxImagePixels)
        return {};
    QImage out(rect.size(), QImage::Format_ARGB32_Premultiplied);
    if (out.isNull())
        return {};
    out.fill(Qt::transparent);
    QPainter painter(&out);
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.drawImage(QPoint(0, 0), image, rect);
    return out;
}

QList<QImage> CommonFunDesktop::cropThreePartImages(const QImage &image, int leftCapWidth, int centerCapWidth)
{
    if (image.isNull())
        return {};
    const int h = image.height();
    const int w = image.width();
    return {cropImageFromRect(image, QRect(0, 0, leftCapWidth, h)),
            cropImageFromRect(image, QRect(leftCapWidth, 0, centerCapWidth, h)),
            cropImageFromRect(image, QRect(leftCapWidth + centerCapWidth, 0, w - leftCapWidth - centerCapWidth, h))};
}
