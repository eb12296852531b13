#include "shell/GolobFun.h"

#include "platform/log/ScribletLogger.h"
#include "platform/AppPaths.h"
#include "platform/PropertyList.h"
#include "platform/UserDefaults.h"
#include "shell/CommonFun.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString configFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}

// The major number of a "Version" text ("4.2.1" -> 4); -1 when there is none.
int majorVersion(const QVariantMap &prefs)
{
    const QString version = prefs.value(QStringLiteral("Version")).toString();
    if (version.isEmpty())
        return -1;
    return int(UserDefaults::toInteger(version.section(QLatin1Char('.'), 0, 0).trimmed()));
}

QVariantMap readDictionary(const QString &path)
{
    if (!QFileInfo::exists(path))
        return {};
    // An older product's file is only read: a damaged one stays where it is.
    const QVariant v = PropertyList::readFile(path, nullptr, PropertyList::OnDamage::Keep);
    return v.toMap();
}

// Carries the first sort descriptor of the older studio product over. Its sort key is kept as
// {"key", "ascending"} (one entry or a list of them).
void importSortOrder(const QVariantMap &source, UserDefaults &defaults)
{
    QVariant sort = source.value(QStringLiteral("SortKey"));
    if (sort.typeId() == QMetaType::QVariantList) {
        const QVariantList list = sort.toList();
        if (list.isEmpty())
            return;
        sort = list.first();
    }
    const QVariantMap first = sort.toMap();
    if (first.isEmpty())
        return;
    const QString oldKey = first.value(QStringLiteral("key")).toString();
    const bool ascending = UserDefaults::toBool(first.value(QStringLiteral("ascending")));

    QString descriptorKey = QStringLiteral("addDate");
    QString selector = QStringLiteral("compare:");
    if (oldKey == QLatin1String("Date")) {
        defaults.setString(QStringLiteral("SortByKey"), QStringLiteral("Date"));
    } else if (oldKey == QLatin1String("Title")) {
        defaults.setString(QStringLiteral("SortByKey"), QStringLiteral("Name"));
        descriptorKey = QStringLiteral("fileName");
        selector = QStringLiteral("caseInsensitiveCompare:");
    } else if (oldKey == QLatin1String("FilePlayTime")) {
        defaults.setString(QStringLiteral("SortByKey"), QStringLiteral("Length"));
        descriptorKey = QStringLiteral("time");
    } else {
        ScribletLogDebug(QStringLiteral("[GolobFun importPlist] unknown sort key:%1").arg(oldKey));
    }
    defaults.setString(QStringLiteral("SortByOrder"), ascending ? QStringLiteral("Ascending") : QStringLiteral("Descending"));
    defaults.setObject(QStringLiteral("SortKey"),
                       QVariantMap{{QStringLiteral("key"), descriptorKey},
                                   {QStringLiteral("ascending"), ascending},
                                   {QStringLiteral("selector"), selector}});
}

} // namespace

QVariantMap GolobFun::defaultValues()
{
    QVariantMap d;
    d.insert(QStringLiteral("firstLaunch"), true);
    d.insert(QStringLiteral("WhatIsNewThisVersion"), 1);
    d.insert(QStringLiteral("isExportToItunes"), false);
    d.insert(QStringLiteral("isAutoResumeTask"), true);
    d.insert(QStringLiteral("PopupWhenDownloadSuccess"), true);
    d.insert(QStringLiteral("isShowPlayWithConverter"), true);
    d.insert(QStringLiteral("DefaultVolume"), 0.7);
    d.insert(QStringLiteral("numberOfDownload"), 5);
    d.insert(QStringLiteral("ShowWarningNotYoutubeDownload"), 1);
    d.insert(QStringLiteral("ShowWarningNotYoutubeAudioDownload"), 1);
    d.insert(QStringLiteral("ShowWarningYouTubePlaylistDownload"), 1);
    d.insert(QStringLiteral("isShowquitWhentaskRunning"), true);
    d.insert(QStringLiteral("SUEnableAutomaticChecks"), true);
    d.insert(QStringLiteral("SUScheduledCheckInterval"), 604800);
    d.insert(QStringLiteral("AutoDownloadYouTubeCaptions"), true);
    d.insert(QStringLiteral("AutoDownloadHuluCaptions"), true);
    d.insert(QStringLiteral("downloadedSavePath"), AppPaths::defaultDownloadFolder());
    d.insert(QStringLiteral("convertedPath"), AppPaths::convertedFolder());
    d.insert(QStringLiteral("recordPath"), AppPaths::recordFolder());
    d.insert(QStringLiteral("PlayerSubtitleFont"), QStringLiteral("Arial Unicode MS"));
    d.insert(QStringLiteral("PlayerSubtitleSize"), 28);
    d.insert(QStringLiteral("PlayerSubtitleColor"), 16777215);
    d.insert(QStringLiteral("PlayerSubtitleBgColor"), 1);
    d.insert(QStringLiteral("SubtitleIsOnState"), true);
    // Neutral codes: a stored value must not change meaning when the language does.
    d.insert(QStringLiteral("DesiredVideoResolution"), QStringLiteral("480P"));
    d.insert(QStringLiteral("isHadWarningRevolution"), 0);
    d.insert(QStringLiteral("AlertWhenDeleteDownloading"), true);
    d.insert(QStringLiteral("AlertWhenDeleteAllDownloading"), true);
    d.insert(QStringLiteral("SortByKey"), QStringLiteral("Date"));
    d.insert(QStringLiteral("SortByOrder"), QStringLiteral("Descending"));
    d.insert(QStringLiteral("RecordSortByKey"), QStringLiteral("Date"));
    d.insert(QStringLiteral("RecordSortByOrder"), QStringLiteral("Descending"));
    d.insert(QStringLiteral("AutoDownloadSpeedup"), false);
    const QString language = CommonFun::localLanguage();
    if (!language.isEmpty())
        d.insert(QStringLiteral("DefaultSubtitleLanguageCode"), language);
    return d;
}

QVariantMap GolobFun::validatedPlistDictionary(const QVariantMap &source)
{
    static const char *const accepted[] = {
        "isAutoResumeTask", "PopupWhenDownloadSuccess", "isShowPlayWithConverter", "numberOfDownload",
        "ShowWarningNotYoutubeDownload", "ShowWarningNotYoutubeAudioDownload",
        "ShowWarningYouTubePlaylistDownload", "isShowquitWhentaskRunning", "SUEnableAutomaticChecks",
        "SUScheduledCheckInterval", "downloadedSavePath", "convertedPath", "recordPath", "SortByKey",
        "SortByOrder", "RecordSortByKey", "RecordSortByOrder", "DefaultVolume", "RecentUseFormat",
        "AutoDownloadYouTubeCaptions", "AutoDownloadHuluCaptions",
    };
    QVariantMap out;
    for (const char *key : accepted) {
        const QString k = QString::fromLatin1(key);
        if (source.contains(k))
            out.insert(k, source.value(k));
    }
    // Old names of two settings: used only when the newer name is absent, so the newer value
    // wins whatever the order of the keys.
    UserDefaults &defaults = UserDefaults::standard();
    const struct
    {
        const char *oldKey;
        const char *newKey;
    } renamed[] = {{"downloadSavePath", "downloadedSavePath"}, {"convertPath", "convertedPath"}};
    for (const auto &r : renamed) {
        const QString oldKey = QString::fromLatin1(r.oldKey);
        if (!source.contains(oldKey))
            continue;
        const QString newKey = QString::fromLatin1(r.newKey);
        if (!out.contains(newKey))
            out.insert(newKey, source.value(oldKey));
        defaults.removeObjectForKey(oldKey);
    }
    return out;
}

QString GolobFun::olderDownloaderPreferencesPath()
{
    return configFolder() + QStringLiteral("/com.iQuenmark.Orrisca Downloader.plist");
}

QString GolobFun::olderStudioPreferencesPath()
{
    return configFolder() + QStringLiteral("/com.iQuenmark.Orrisca Studio.plist");
}

void GolobFun::importPlist()
{
    UserDefaults &defaults = UserDefaults::standard();
    const QVariantMap a = readDictionary(olderDownloaderPreferencesPath());
    if (!a.isEmpty() && majorVersion(a) == 4) {
        const QVariantMap values = validatedPlistDictionary(a);
        for (auto it = values.cbegin(); it != values.cend(); ++it)
            defaults.setObject(it.key(), it.value());
        return;
    }
    const QVariantMap b = readDictionary(olderStudioPreferencesPath());
    const int major = majorVersion(b);
    if (major <= 2) {
        const QVariantMap table = defaultValues();
        for (auto it = table.cbegin(); it != table.cend(); ++it)
            defaults.setObject(it.key(), it.value());
    }
    importSortOrder(b, defaults);
}

QString GolobFun::customPlistPath()
{
    return configFolder() + QLatin1Char('/') + QLatin1String(AppPaths::ProductFolderName) + QStringLiteral("/custom.plist");
}

QVariant GolobFun::infoValueForKey(const QString &key)
{
    const QVariant v = PropertyList::readFile(customPlistPath());
    if (v.typeId() != QMetaType::QVariantMap)
        return {};
    return v.toMap().value(key);
}

bool GolobFun::setInfoValue(const QVariant &value, const QString &key)
{
    const QString path = customPlistPath();
    QVariantMap dict = PropertyList::readFile(path).toMap();
    dict.insert(key, value);
    if (!AppPaths::ensureFolder(QFileInfo(path).absolutePath()))
        return false;
    QString error;
    if (!PropertyList::writeFile(path, dict, &error)) {
        ScribletLogError(QStringLiteral("==>>setInfoValue Failed:%1!!!").arg(error));
        return false;
    }
    return true;
}

void GolobFun::removeCustomPlist()
{
    QFile file(customPlistPath());
    if (file.exists() && !file.remove())
        ScribletLogError(QStringLiteral("==>>removeCustomPlist Failed:%1!!!").arg(file.errorString()));
}
