#pragma once

#include "media/IM_EncodeParamEx.h"

#include <QDomElement>
#include <QList>
#include <QMap>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>

// Encoders a preset offers: code text (trimmed four-character code) to display name, in the
// order of the codec framework's encoder list.
using EncoderMap = QList<QPair<QString, QString>>;

namespace EncoderMaps {
bool contains(const EncoderMap &map, const QString &code);
QString nameFor(const EncoderMap &map, const QString &code);
QVariantMap toVariantMap(const EncoderMap &map);
// Display name of a codec code; the FFmpeg encoder name for codes without one.
QString displayName(uint32_t code, bool video);
} // namespace EncoderMaps

// One narrowing rule of a preset: when every condition matches the encoding dictionary, the
// result replaces lists and defaults.
struct FormatRule
{
    QMap<QString, QString> condition;
    QVariantMap result;
};

// What the encoder settings panel offers for a preset and a block.
struct FormatSettingsLists
{
    EncoderMap videoEncoders;
    EncoderMap audioEncoders;
    QMap<QString, QStringList> lists;  // only lists that are present
    QMap<QString, QString> defaults;   // "defaultResolution", ... (present keys only)
    QMap<QString, bool> custom;        // the four custom flags, missing ones YES
    QString fourCC;                    // set when a rule changed the container

    QStringList list(const QString &key) const { return lists.value(key); }
    QVariantMap toVariantMap() const;
};

// One output-format preset read from a "Format" element.
class FormatItem
{
public:
    // What the user changed last in the settings panel; a rule never re-defaults it.
    enum ChangeItem {
        ChangeNone = -1,
        ChangeVideoEncoder = 0,
        ChangeResolution = 1,
        ChangeFrameRate = 2,
        ChangeVideoBitrate = 3,
        ChangeAudioEncoder = 4,
        ChangeChannel = 5,
        ChangeSampleRate = 6,
        ChangeAudioBitrate = 7,
    };

    // Null unless the element is named "Format".
    static std::shared_ptr<FormatItem> initWith(const QDomElement &element, int formatID);
    FormatItem() = default;

    QVariant value(const QString &key) const { return m_dic.value(key); }
    const QVariantMap &dictionary() const { return m_dic; }
    const QList<FormatRule> &limits() const { return m_limits; }

    int iD() const;
    void setID(int id) { m_dic.insert(QStringLiteral("id"), id); }
    int categoryid() const;
    QString title() const;        // localised
    QString rawTitle() const;     // as written in the file
    QString description() const;  // localised
    QString formalTitle() const;  // null when absent
    QString pixID() const;
    QString formatExt() const;
    QString fourCC() const;
    bool isCustomFormat() const;
    void setIsCustomFormat(bool custom);
    bool canToITunes() const;
    bool canHaveChapters() const;
    int type2Dto3D() const;
    int offset2Dto3D() const;

    // Defaults (bit rates in kbit/s).
    int width() const;
    int height() const;
    double framerate() const;
    int videoBitrate() const;
    int audioBitrate() const;
    int samplerate() const;
    int channel() const;

    // Lists; empty when absent.
    QStringList getResolutionList() const;
    QStringList getFrameRateList() const;
    QStringList getVideoRateList() const;
    QStringList getSampleRateList() const;
    QStringList getAudioRateList() const;
    QStringList getChannelList() const;
    // Null when the codec framework lists no container of the preset's code.
    std::optional<EncoderMap> getVideoEncList() const;
    std::optional<EncoderMap> getAudioEncList() const;
    // For a given list and container, without falling back to every encoder.
    static std::optional<EncoderMap> getVideoEncListWith(const QString &list, const QString &fileFourCC);
    static std::optional<EncoderMap> getAudioEncListWith(const QString &list, const QString &fileFourCC);

    void getDefaultSettings(IM_EncodeParamEx *block) const;
    bool enableVideoOutput() const;
    FormatSettingsLists getSettingsListsWithEncoderParam(IM_EncodeParamEx *block) const;

    void setChangeItemType(int type) { m_changeItem = type; }
    int changeItemType() const { return m_changeItem; }

    // The view of a block that rule conditions are compared with.
    static QMap<QString, QString> encodingDictionary(const IM_EncodeParamEx &block);
    // Frame rates cut to two decimals: 23.976 gives 23.97.
    static double cutFrameRate(double rate);
    // Comma list: split at "," without trimming; blank text is absent.
    static QStringList commaList(const QString &text);
    // Whole-token test: is the trimmed code one of the comma-separated entries of list?
    static bool listHoldsCode(const QString &list, const QString &code);
    // Boolean text as the files write it ("YES", "1", "true").
    static bool boolText(const QString &text);

    // Where the element stands in its file; the catalogue uses it to delete user presets.
    int filePosition() const { return m_filePosition; }
    void setFilePosition(int position) { m_filePosition = position; }
    bool hadIdAttribute() const { return m_hadIdAttribute; }
    int fileId() const { return m_fileId; }

private:
    QString text(const QString &key) const { return m_dic.value(key).toString(); }
    std::optional<EncoderMap> encList(bool video) const;
    QString defaultEncoder(bool video) const;

    QVariantMap m_dic;
    QList<FormatRule> m_limits;
    int m_changeItem = ChangeNone;
    int m_filePosition = -1;
    bool m_hadIdAttribute = false;
    int m_fileId = 0;
};

// A readable description of a block for the log; "{\n}" for no block.
QString GetEncodeParamDescription(const IM_EncodeParamEx *block);
