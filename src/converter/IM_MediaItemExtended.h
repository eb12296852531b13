#pragma once

#include "converter/FormatItem.h"
#include "media/IM_MediaItem.h"

#include <QSizeF>
#include <QString>
#include <QStringList>
#include <QVariantMap>

#include <memory>
#include <optional>

class EncFormatMgr;

// A source as the convert road sees it: the framework's media item plus the chosen preset,
// Smart Fit, lossless detection, the preset services (icon, size, output path) and the
// subtitle choice.
class IM_MediaItemExtended
{
public:
    explicit IM_MediaItemExtended(const IM_MediaItem &item = IM_MediaItem());

    IM_MediaItem &mediaItem() { return m_item; }
    const IM_MediaItem &mediaItem() const { return m_item; }
    IM_EncodeParamEx &encodeParam() { return m_item.encodeParam(); }
    void setEncodeParam(const IM_EncodeParamEx &block) { m_item.setEncodeParam(block); }
    uint32_t encAutoFlag() const { return m_item.encAutoFlag(); }
    void setEncAutoFlag(uint32_t mask) { m_item.setEncAutoFlag(mask); }
    // The catalogue presets are looked up in (the global one unless set).
    void setFormatCatalogue(const EncFormatMgr *catalogue) { m_catalogue = catalogue; }

    // Preset.
    int formatId() const { return m_formatId; }
    void setFormatId(int id);
    std::shared_ptr<FormatItem> formatItem() const;
    QString autoFormatRuleKey() const;
    QString currentFormatName() const;
    QString dstName() const { return m_item.dstName(); }

    // Smart Fit.
    QVariantMap sourceMediaStreamInfo() const;
    IM_EncodeParamEx encParamByHandledAutoMask(uint32_t mask, bool lossLess = false) const;
    void autoAdjustEncodeParam(uint32_t mask);
    bool isMediaItemLossless();
    // The frame rates a lossless copy keeps exact: 29.975 -> 29.97002997, 30 stays.
    static double snapLosslessFrameRate(double rate);
    // An edit that needs the picture re-encoded (a subtitle burnt in).
    bool affectsLossless() const;
    // The frame size a job with this block writes: the source's when the picture is taken over
    // (a lossless job) or the block leaves the size open, else the block's.
    QSizeF outputFrameSize(const IM_EncodeParamEx &jobBlock, bool lossless) const;

    // Preset services.
    QString formatName() const;
    // The preset's icon and the merged-group image are drawn by the pages: see
    // IM_MediaItemExtendedImages.
    bool isMergedGroup() const { return m_merged; }
    void setMergedGroup(bool merged) { m_merged = merged; }
    double estimatedSize() const;  // MB
    QString dstSize() const;
    QString outputFilePath() const;
    bool exportToiTunes() const;
    bool exportChapters() const;

    // Subtitles.
    static QStringList externalSubtitleFontCodePagesArrayExtend();
    static QStringList externalSubtitleFontCodePagesArrayDescriptionExtend();
    static QStringList externalSubtitleLanguages();
    static QStringList externalSubtitleFontNamesForLanguages();
    static QString subtitleGroupSperatorName() { return QStringLiteral("Group Sperator"); }

    void initExternalSubtitleParams();
    // A subtitle file chosen elsewhere (the open panel); selected when asked.
    void addExternalSubtitle(const QString &path, bool select);
    QStringList externalSubtitles() const { return m_externalSubtitles; }
    int selectedExternalSubtitle() const { return m_selectedExternal; }
    QString subtitleEncoding() const { return m_subtitleEncoding; }
    void setSubtitleEncoding(const QString &code) { m_subtitleEncoding = code; }
    QString subtitleFontName() const { return m_subtitleFont; }
    // Subtitles inside the file (the framework reports none for the files it reads today).
    void setEmbeddedSubtitleDescriptions(const QStringList &descriptions) { m_embedded = descriptions; }
    QStringList subtitleDescriptions() const { return m_embedded; }
    int embeddedSubtitleIndex() const { return m_embeddedIndex; }
    void setMediaType(int type) { m_mediaTypeOverride = type; }
    int mediaType() const { return m_mediaTypeOverride >= 0 ? m_mediaTypeOverride : m_item.mediaType(); }

    bool needLoadExternalSubtitleAction() const;
    int externalSubtitleCountInTheSameDirOfMedia() const;
    std::optional<QStringList> generalSubtitleDescriptions() const;
    QString subtitlePathAtIndex(int position) const;
    int indexOfSelectedGeneralSubtitle() const;
    void setIndexOfSelectedGeneralSubtitle(int position);
    bool shouldEnableSubtitle() const { return m_item.mediaInfo().hasVideo; }
    int indexOfSelectedGeneralAudioTrack() const { return m_audioTrack; }

private:
    bool usesMenuWithFiles() const;
    bool hasSecondSeparator() const;

    IM_MediaItem m_item;
    const EncFormatMgr *m_catalogue = nullptr;
    int m_formatId = -1;
    bool m_merged = false;
    QStringList m_externalSubtitles;
    int m_sameDirCount = 0;
    int m_selectedExternal = -1;
    QString m_subtitleEncoding;
    QString m_subtitleFont;
    QStringList m_embedded;
    int m_embeddedIndex = -1;
    int m_mediaTypeOverride = -1;
    int m_audioTrack = 0;
};
