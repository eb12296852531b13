#include "library/OneModeConvertSetting.h"

#include "platform/UserDefaults.h"

namespace {

void setError(QString *error, const QString &text)
{
    if (error)
        *error = text;
}

} // namespace

IM_EncodeParamEx OneModeConvertSetting::block() const
{
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    if (!EncodeParamData::fromData(encParam.left(qsizetype(sizeof(IM_EncodeParamEx))), &b))
        return EncodeParamData::zeroed();
    return b;
}

std::optional<OneModeConvertSetting> OneModeConvertSetting::fromDictionary(const QVariantMap &dictionary, QString *error)
{
    if (dictionary.isEmpty()) {
        setError(error, QStringLiteral("no conversion is stored for Download then Convert"));
        return std::nullopt;
    }
    const QVariant data = dictionary.value(QStringLiteral("encParam"));
    if (data.typeId() != QMetaType::QByteArray) {
        setError(error, QStringLiteral("the stored conversion has no encoder settings"));
        return std::nullopt;
    }
    const QByteArray bytes = data.toByteArray();
    constexpr qsizetype blockSize = qsizetype(sizeof(IM_EncodeParamEx));
    if (bytes.size() < blockSize) {
        setError(error, QStringLiteral("the stored encoder settings are %1 bytes, fewer than the %2 of one block")
                            .arg(bytes.size())
                            .arg(blockSize));
        return std::nullopt;
    }
    bool idOk = false;
    const int id = dictionary.value(QStringLiteral("formatID")).toInt(&idOk);
    if (!idOk) {
        setError(error, QStringLiteral("the stored conversion names no output format"));
        return std::nullopt;
    }

    OneModeConvertSetting s;
    s.dictionary = dictionary;
    s.formatTitle = dictionary.value(QStringLiteral("FormatTitle")).toString();
    s.formatID = id;
    s.encParam = bytes.left(blockSize);
    s.isExportToItunes = UserDefaults::toBool(dictionary.value(QStringLiteral("isExportToItunes")));
    s.isShowInFinder = UserDefaults::toBool(dictionary.value(QStringLiteral("isShowInFinder")));
    s.isMergeSubtitle = UserDefaults::toBool(dictionary.value(QStringLiteral("isMergeSubtitle")));
    return s;
}

std::optional<OneModeConvertSetting> OneModeConvertSetting::readStored(const UserDefaults &defaults, QString *error)
{
    return fromDictionary(defaults.dictionaryForKey(QString::fromLatin1(DefaultsKey)), error);
}

bool OneModeConvertSetting::isDownAndConvertOneMode(const UserDefaults &defaults)
{
    const QString key = QString::fromLatin1(ModeKey);
    const QVariant value = defaults.objectForKey(key);
    return value.isValid() && UserDefaults::toBool(value);
}
