#pragma once

#include "media/IM_EncodeParamEx.h"

#include <QString>
#include <QVariantMap>

#include <optional>

class UserDefaults;

// The conversion chosen once on the download page for "Download then Convert", as stored in
// the user default "OneModeConvertSetingParam".
struct OneModeConvertSetting
{
    static constexpr const char *DefaultsKey = "OneModeConvertSetingParam";
    static constexpr const char *ModeKey = "values.DownAndConvertOneMode";

    QVariantMap dictionary; // as stored; the item keeps it as its convert parameters
    QString formatTitle;    // "FormatTitle"
    int formatID = -1;      // "formatID"
    QByteArray encParam;    // "encParam": exactly one encoder block
    bool isExportToItunes = false;
    bool isShowInFinder = false;
    bool isMergeSubtitle = false;

    // The encoder block; valid after a successful read.
    IM_EncodeParamEx block() const;

    // Checks a dictionary. An "encParam" shorter than one block (70,480 bytes), or missing,
    // is refused with a reason; bytes beyond one block are ignored.
    static std::optional<OneModeConvertSetting> fromDictionary(const QVariantMap &dictionary, QString *error = nullptr);
    static std::optional<OneModeConvertSetting> readStored(const UserDefaults &defaults, QString *error = nullptr);

    // The mode switch: the boolean user default, NO when absent.
    static bool isDownAndConvertOneMode(const UserDefaults &defaults);
};
