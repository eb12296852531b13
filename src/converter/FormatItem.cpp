#include "converter/FormatItem.h"

#include "converter/ConverterXml.h"
#include "media/FourCC.h"
#include "media/IM_FileFormatMgr.h"
#include "media/LogCreator.h"
#include "media/VexlumeCodecs.h"
#include "platform/MainBundle.h"

#include <QJsonDocument>
#include <QJsonObject>

#include <cmath>

namespace {

void logFormat(const QString &message, int level = LogCreator::Info)
{
    LogCreator::logMsg(QStringLiteral("FormatItem: ") + message, level, 0);
}

const QStringList &listKeys()
{
    static const QStringList keys = {QStringLiteral("Resolution"),   QStringLiteral("FrameRate"),
                                     QStringLiteral("VideoBitrate"), QStringLiteral("AudioBitrate"),
                                     QStringLiteral("SampleRate"),   QStringLiteral("Channel")};
    return keys;
}

const QStringList &customKeys()
{
    static const QStringList keys = {QStringLiteral("customResolution"), QStringLiteral("customFrameRate"),
                                     QStringLiteral("customVideoBitrate"), QStringLiteral("customAudioBitrate")};
    return keys;
}

// Children to keys: full text under the child's name, "default"/"custom" attributes beside it.
void readChildInto(const QDomElement &child, QVariantMap *dic)
{
    const QString name = child.tagName();
    dic->insert(name, ConverterXml::elementText(child));
    if (child.hasAttribute(QStringLiteral("default")))
        dic->insert(QStringLiteral("default") + name, child.attribute(QStringLiteral("default")));
    if (child.hasAttribute(QStringLiteral("custom")))
        dic->insert(QStringLiteral("custom") + name, child.attribute(QStringLiteral("custom")).trimmed().toInt() != 0);
}

const IM_FileFormat *fileFormatFor(const QString &fourCC)
{
    const QString wanted = fourCC.trimmed();
    if (wanted.isEmpty())
        return nullptr;
    const IM_FileFormatMgr &mgr = IM_FileFormatMgr::sharedFileFormatMgr();
    for (int i = 0; i < mgr.count(); ++i) {
        const IM_FileFormat *f = mgr.fileFormatAtIndex(i);
        if (FourCCToString(f->fourCC).trimmed() == wanted)
            return f;
    }
    return nullptr;
}

EncoderMap collectEncoders(const IM_FileFormat &format, bool video, const QString &list, bool filter)
{
    EncoderMap map;
    for (uint32_t code : video ? format.videoEncoders : format.audioEncoders) {
        const QString text = FourCCToString(code).trimmed();
        const QString name = EncoderMaps::displayName(code, video);
        if (name.isEmpty())
            continue;
        if (filter && !FormatItem::listHoldsCode(list, text))
            continue;
        map.append({text, name});
    }
    return map;
}

// Picks the default when it is in the list, else the first entry.
QString choose(const QStringList &list, const QString &preferred)
{
    return list.contains(preferred) ? preferred : list.first();
}

QString chooseEncoder(const EncoderMap &map, const QString &preferred)
{
    return EncoderMaps::contains(map, preferred.trimmed()) ? preferred.trimmed() : map.first().first;
}

} // namespace

namespace EncoderMaps {

bool contains(const EncoderMap &map, const QString &code)
{
    for (const auto &entry : map)
        if (entry.first == code)
            return true;
    return false;
}

QString nameFor(const EncoderMap &map, const QString &code)
{
    for (const auto &entry : map)
        if (entry.first == code)
            return entry.second;
    return {};
}

QVariantMap toVariantMap(const EncoderMap &map)
{
    QVariantMap out;
    for (const auto &entry : map)
        out.insert(entry.first, entry.second);
    return out;
}

QString displayName(uint32_t code, bool video)
{
    static const QMap<QString, QString> names = {
        {QStringLiteral("avc1"), QStringLiteral("H.264")},        {QStringLiteral("H264"), QStringLiteral("H.264 (H264)")},
        {QStringLiteral("hvc1"), QStringLiteral("HEVC")},         {QStringLiteral("hev1"), QStringLiteral("HEVC (hev1)")},
        {QStringLiteral("mp4v"), QStringLiteral("MPEG-4")},       {QStringLiteral("XVID"), QStringLiteral("Xvid")},
        {QStringLiteral("DIVX"), QStringLiteral("DivX")},         {QStringLiteral("VP80"), QStringLiteral("VP8")},
        {QStringLiteral("VP90"), QStringLiteral("VP9")},          {QStringLiteral("FLV1"), QStringLiteral("Sorenson Spark")},
        {QStringLiteral("mjpg"), QStringLiteral("Motion JPEG")},  {QStringLiteral("mpg2"), QStringLiteral("MPEG-2")},
        {QStringLiteral("mpg1"), QStringLiteral("MPEG-1")},       {QStringLiteral("WMV2"), QStringLiteral("WMV 8")},
        {QStringLiteral("WMV1"), QStringLiteral("WMV 7")},        {QStringLiteral("h263"), QStringLiteral("H.263")},
        {QStringLiteral("theo"), QStringLiteral("Theora")},       {QStringLiteral("apcn"), QStringLiteral("ProRes 422")},
        {QStringLiteral("dvsd"), QStringLiteral("DV")},           {QStringLiteral("AV01"), QStringLiteral("AV1")},
        {QStringLiteral("mp4a"), QStringLiteral("AAC")},          {QStringLiteral(".mp3"), QStringLiteral("MP3")},
        {QStringLiteral("mp3"), QStringLiteral("MP3 (mp3)")},     {QStringLiteral("mp2"), QStringLiteral("MPEG Layer 2")},
        {QStringLiteral("ac-3"), QStringLiteral("AC-3")},         {QStringLiteral("vorb"), QStringLiteral("Vorbis")},
        {QStringLiteral("opus"), QStringLiteral("Opus")},         {QStringLiteral("flac"), QStringLiteral("FLAC")},
        {QStringLiteral("alac"), QStringLiteral("Apple Lossless")}, {QStringLiteral("sowt"), QStringLiteral("PCM 16-bit")},
        {QStringLiteral("lpcm"), QStringLiteral("Linear PCM")},   {QStringLiteral("twos"), QStringLiteral("PCM 16-bit big-endian")},
        {QStringLiteral("wma2"), QStringLiteral("WMA 2")},        {QStringLiteral("samr"), QStringLiteral("AMR-NB")},
    };
    const QString text = FourCCToString(code).trimmed();
    const QString name = names.value(text);
    return name.isEmpty() ? VexlumeCodecs::encoderForFourCC(code, video) : name;
}

} // namespace EncoderMaps

QVariantMap FormatSettingsLists::toVariantMap() const
{
    QVariantMap out;
    out.insert(QStringLiteral("VideoEncoders"), EncoderMaps::toVariantMap(videoEncoders));
    out.insert(QStringLiteral("AudioEncoders"), EncoderMaps::toVariantMap(audioEncoders));
    for (auto it = lists.begin(); it != lists.end(); ++it)
        out.insert(it.key(), it.value());
    for (auto it = defaults.begin(); it != defaults.end(); ++it)
        out.insert(it.key(), it.value());
    for (auto it = custom.begin(); it != custom.end(); ++it)
        out.insert(it.key(), it.value());
    if (!fourCC.isEmpty())
        out.insert(QStringLiteral("FourCC"), fourCC);
    return out;
}

std::shared_ptr<FormatItem> FormatItem::initWith(const QDomElement &element, int formatID)
{
    if (element.isNull() || element.tagName() != QLatin1String("Format"))
        return nullptr;
    auto item = std::make_shared<FormatItem>();
    item->m_dic.insert(QStringLiteral("id"), formatID);
    const QDomNamedNodeMap attributes = element.attributes();
    for (int i = 0; i < attributes.count(); ++i) {
        const QDomAttr attr = attributes.item(i).toAttr();
        item->m_dic.insert(attr.name(), attr.value());
    }
    item->m_hadIdAttribute = element.hasAttribute(QStringLiteral("id"));
    item->m_fileId = element.attribute(QStringLiteral("id")).trimmed().toInt();
    for (const QDomElement &child : ConverterXml::childElements(element)) {
        if (child.tagName() == QLatin1String("Limits")) {
            QList<FormatRule> rules;  // the last "Limits" counts
            for (const QDomElement &ruleElement : ConverterXml::childElements(child)) {
                FormatRule rule;
                const QDomNamedNodeMap ruleAttributes = ruleElement.attributes();
                for (int i = 0; i < ruleAttributes.count(); ++i) {
                    const QDomAttr attr = ruleAttributes.item(i).toAttr();
                    rule.condition.insert(attr.name(), attr.value());
                }
                for (const QDomElement &resultChild : ConverterXml::childElements(ruleElement))
                    readChildInto(resultChild, &rule.result);
                rules.append(rule);
            }
            item->m_limits = rules;
            continue;
        }
        readChildInto(child, &item->m_dic);
    }
    return item;
}

int FormatItem::iD() const { return text(QStringLiteral("id")).trimmed().toInt(); }
int FormatItem::categoryid() const { return text(QStringLiteral("categoryid")).trimmed().toInt(); }
QString FormatItem::rawTitle() const { return text(QStringLiteral("Title")); }
QString FormatItem::title() const { return MainBundle::localizedString(rawTitle()); }
QString FormatItem::description() const { return MainBundle::localizedString(text(QStringLiteral("Description"))); }

QString FormatItem::formalTitle() const
{
    if (!m_dic.contains(QStringLiteral("FormalTitleIDTitle")))
        return {};
    return text(QStringLiteral("FormalTitleIDTitle"));
}

QString FormatItem::pixID() const { return text(QStringLiteral("pixId")); }
QString FormatItem::formatExt() const { return text(QStringLiteral("Ext")); }
QString FormatItem::fourCC() const { return text(QStringLiteral("FourCC")); }
bool FormatItem::isCustomFormat() const { return m_dic.value(QStringLiteral("customFormat")).toBool(); }
void FormatItem::setIsCustomFormat(bool custom) { m_dic.insert(QStringLiteral("customFormat"), custom); }
bool FormatItem::canToITunes() const { return text(QStringLiteral("toiTunes")).trimmed().toInt() == 1; }
bool FormatItem::canHaveChapters() const { return text(QStringLiteral("keepChapters")).trimmed().toInt() == 1; }

int FormatItem::type2Dto3D() const
{
    const QString type = text(QStringLiteral("type2Dto3D"));
    if (type == QLatin1String("RedBlur_3D"))
        return 1;
    if (type == QLatin1String("LeftRight_3D"))
        return 2;
    return 0;
}

int FormatItem::offset2Dto3D() const { return text(QStringLiteral("offset2Dto3D")).trimmed().toInt(); }

int FormatItem::width() const
{
    const QStringList parts = text(QStringLiteral("defaultResolution")).split(QLatin1Char('*'));
    return parts.size() >= 2 ? parts[0].trimmed().toInt() : 0;
}

int FormatItem::height() const
{
    const QStringList parts = text(QStringLiteral("defaultResolution")).split(QLatin1Char('*'));
    return parts.size() >= 2 ? parts[1].trimmed().toInt() : 0;
}

double FormatItem::cutFrameRate(double rate) { return std::trunc((rate + 0.001) * 100.0) / 100.0; }

double FormatItem::framerate() const
{
    if (!m_dic.contains(QStringLiteral("defaultFrameRate")))
        return 0;
    return cutFrameRate(text(QStringLiteral("defaultFrameRate")).trimmed().toDouble());
}

int FormatItem::videoBitrate() const { return text(QStringLiteral("defaultVideoBitrate")).trimmed().toInt(); }
int FormatItem::audioBitrate() const { return text(QStringLiteral("defaultAudioBitrate")).trimmed().toInt(); }
int FormatItem::samplerate() const { return text(QStringLiteral("defaultSampleRate")).trimmed().toInt(); }
int FormatItem::channel() const { return text(QStringLiteral("defaultChannel")).trimmed().toInt(); }

QStringList FormatItem::commaList(const QString &text)
{
    if (text.trimmed().isEmpty())
        return {};
    return text.split(QLatin1Char(','));
}

bool FormatItem::listHoldsCode(const QString &list, const QString &code)
{
    const QString wanted = code.trimmed();
    if (wanted.isEmpty())
        return false;
    for (const QString &token : list.split(QLatin1Char(',')))
        if (token.trimmed() == wanted)
            return true;
    return false;
}

bool FormatItem::boolText(const QString &text)
{
    const QString t = text.trimmed();
    if (t.isEmpty())
        return false;
    const QChar c = t.at(0);
    if (c == u'Y' || c == u'y' || c == u'T' || c == u't')
        return true;
    return t.toDouble() != 0;
}

QStringList FormatItem::getResolutionList() const { return commaList(text(QStringLiteral("Resolution"))); }
QStringList FormatItem::getFrameRateList() const { return commaList(text(QStringLiteral("FrameRate"))); }
QStringList FormatItem::getVideoRateList() const { return commaList(text(QStringLiteral("VideoBitrate"))); }
QStringList FormatItem::getSampleRateList() const { return commaList(text(QStringLiteral("SampleRate"))); }
QStringList FormatItem::getAudioRateList() const { return commaList(text(QStringLiteral("AudioBitrate"))); }
QStringList FormatItem::getChannelList() const { return commaList(text(QStringLiteral("Channel"))); }

std::optional<EncoderMap> FormatItem::encList(bool video) const
{
    const IM_FileFormat *format = fileFormatFor(fourCC());
    if (!format)
        return std::nullopt;
    const QString key = video ? QStringLiteral("VideoEncoders") : QStringLiteral("AudioEncoders");
    const QString list = text(key);
    if (list.isEmpty())
        return collectEncoders(*format, video, list, false);
    EncoderMap map = collectEncoders(*format, video, list, true);
    if (map.isEmpty()) {
        if (video)
            logFormat(QStringLiteral("videoEncList [%1] for file fourCC[%2] is invalid!!!!!!!!!!!!").arg(list, fourCC()));
        else
            logFormat(QStringLiteral("audioEncList [%1] for file fourCC[%2] is invalid").arg(list, fourCC()),
                      LogCreator::Error);
        map = collectEncoders(*format, video, list, false);
    }
    return map;
}

std::optional<EncoderMap> FormatItem::getVideoEncList() const { return encList(true); }
std::optional<EncoderMap> FormatItem::getAudioEncList() const { return encList(false); }

std::optional<EncoderMap> FormatItem::getVideoEncListWith(const QString &list, const QString &fileFourCC)
{
    const IM_FileFormat *format = fileFormatFor(fileFourCC);
    if (!format)
        return std::nullopt;
    return collectEncoders(*format, true, list, true);
}

std::optional<EncoderMap> FormatItem::getAudioEncListWith(const QString &list, const QString &fileFourCC)
{
    const IM_FileFormat *format = fileFormatFor(fileFourCC);
    if (!format)
        return std::nullopt;
    return collectEncoders(*format, false, list, true);
}

QString FormatItem::defaultEncoder(bool video) const
{
    const std::optional<EncoderMap> map = encList(video);
    if (!map || map->isEmpty())
        return {};
    return chooseEncoder(*map, text(video ? QStringLiteral("defaultVideoEncoders") : QStringLiteral("defaultAudioEncoders")));
}

void FormatItem::getDefaultSettings(IM_EncodeParamEx *b) const
{
    if (!b)
        return;
    b->containerFourCC = StringToFourCC(fourCC().trimmed());
    const IM_FileFormat *format = fileFormatFor(fourCC());
    if (!format) {
        logFormat(QStringLiteral("can't find file format info for file fourCC %1!!!!!!!").arg(fourCC()));
        b->videoDisabled = 1;
        b->audioDisabled = 1;
        b->convert2DTo3D = 0;
        return;
    }
    const bool disableVideo = m_dic.contains(QStringLiteral("DisableVideo")) && boolText(text(QStringLiteral("DisableVideo")));
    if (!format->videoEncoders.isEmpty() && !disableVideo) {
        b->videoFourCC = StringToFourCC(defaultEncoder(true));
        b->videoDisabled = b->videoFourCC == 0;
        b->videoBitrate = uint32_t(qMax(0, videoBitrate()));
        b->frameRate = framerate();
        b->width = width();
        b->height = height();
        b->videoBitDepth = 24;
        b->convert2DTo3D = type2Dto3D() > 0;
        b->convert3DType = type2Dto3D();
        b->convert3DOffset = offset2Dto3D();
    } else {
        b->videoDisabled = 1;
        b->convert2DTo3D = 0;
        b->videoFourCC = 0;
    }
    if (!format->audioEncoders.isEmpty()) {
        b->audioFourCC = StringToFourCC(defaultEncoder(false));
        b->audioDisabled = b->audioFourCC == 0;
        b->sampleRate = uint32_t(qMax(0, samplerate()));
        b->audioBitrate = uint32_t(qMax(0, audioBitrate()));
        b->audioBitsPerSample = 16;
        b->channels = uint32_t(qMax(0, channel()));
    } else {
        b->audioDisabled = 1;
    }
}

bool FormatItem::enableVideoOutput() const
{
    IM_EncodeParamEx block = EncodeParamData::zeroed();
    getDefaultSettings(&block);
    return block.videoDisabled == 0;
}

QMap<QString, QString> FormatItem::encodingDictionary(const IM_EncodeParamEx &b)
{
    QMap<QString, QString> d;
    d.insert(QStringLiteral("VideoEncoder"), FourCCToString(b.videoFourCC).trimmed());
    d.insert(QStringLiteral("Resolution"), QStringLiteral("%1*%2").arg(b.width).arg(b.height));
    QString rate = QString::asprintf("%g", b.frameRate);
    if (rate.size() >= 6)
        rate.truncate(5);
    d.insert(QStringLiteral("FrameRate"), rate);
    d.insert(QStringLiteral("VideoBitrate"), QString::number(int32_t(b.videoBitrate)));
    d.insert(QStringLiteral("AudioEncoder"), FourCCToString(b.audioFourCC).trimmed());
    d.insert(QStringLiteral("Channel"), QString::number(int32_t(b.channels)));
    d.insert(QStringLiteral("SampleRate"), QString::number(int32_t(b.sampleRate)));
    d.insert(QStringLiteral("AudioBitrate"), QString::number(int32_t(b.audioBitrate)));
    return d;
}

FormatSettingsLists FormatItem::getSettingsListsWithEncoderParam(IM_EncodeParamEx *b) const
{
    FormatSettingsLists lists;
    lists.videoEncoders = getVideoEncList().value_or(EncoderMap());
    lists.audioEncoders = getAudioEncList().value_or(EncoderMap());
    for (const QString &key : listKeys()) {
        const QStringList list = commaList(text(key));
        if (!list.isEmpty())
            lists.lists.insert(key, list);
    }
    for (const QString &key : listKeys() + QStringList{QStringLiteral("VideoEncoders"), QStringLiteral("AudioEncoders")})
        if (m_dic.contains(QStringLiteral("default") + key))
            lists.defaults.insert(QStringLiteral("default") + key, text(QStringLiteral("default") + key));
    for (const QString &key : customKeys())
        lists.custom.insert(key, m_dic.contains(key) ? m_dic.value(key).toBool() : true);
    if (!b)
        return lists;

    QMap<QString, QString> encoding = encodingDictionary(*b);
    for (const FormatRule &rule : m_limits) {
        bool applies = true;
        for (auto it = rule.condition.begin(); it != rule.condition.end(); ++it)
            if (encoding.value(it.key()) != it.value()) {
                applies = false;
                break;
            }
        if (!applies)
            continue;
        const QVariantMap &r = rule.result;

        // Lists.
        if (r.contains(QStringLiteral("FourCC")))
            lists.fourCC = r.value(QStringLiteral("FourCC")).toString();
        const QString container = lists.fourCC.isEmpty() ? fourCC() : lists.fourCC;
        for (bool video : {true, false}) {
            const QString key = video ? QStringLiteral("VideoEncoders") : QStringLiteral("AudioEncoders");
            EncoderMap &map = video ? lists.videoEncoders : lists.audioEncoders;
            const bool hasList = r.contains(key);
            const bool hasDefault = r.contains(QStringLiteral("default") + key);
            if (hasList) {
                const QString text = r.value(key).toString();
                map = (video ? getVideoEncListWith(text, container) : getAudioEncListWith(text, container))
                          .value_or(EncoderMap());
            }
            if (hasDefault)
                lists.defaults.insert(QStringLiteral("default") + key, r.value(QStringLiteral("default") + key).toString());
            if ((hasList || hasDefault) && !map.isEmpty()
                && !EncoderMaps::contains(map, lists.defaults.value(QStringLiteral("default") + key).trimmed()))
                lists.defaults.insert(QStringLiteral("default") + key, map.first().first);
        }
        for (const QString &key : listKeys()) {
            if (r.contains(key)) {
                const QStringList list = commaList(r.value(key).toString());
                if (list.isEmpty())
                    lists.lists.remove(key);
                else
                    lists.lists.insert(key, list);
            }
            if (r.contains(QStringLiteral("default") + key))
                lists.defaults.insert(QStringLiteral("default") + key, r.value(QStringLiteral("default") + key).toString());
        }
        for (const QString &key : customKeys())
            if (r.contains(key))
                lists.custom.insert(key, r.value(key).toBool());

        // The block, except for what the user changed last.
        auto ruleSets = [&](const QString &key, int type) {
            return r.contains(QStringLiteral("default") + key) && m_changeItem != type;
        };
        auto def = [&](const QString &key) { return lists.defaults.value(QStringLiteral("default") + key); };
        if (ruleSets(QStringLiteral("VideoEncoders"), ChangeVideoEncoder) && !lists.videoEncoders.isEmpty())
            b->videoFourCC = StringToFourCC(chooseEncoder(lists.videoEncoders, def(QStringLiteral("VideoEncoders"))));
        if (ruleSets(QStringLiteral("AudioEncoders"), ChangeAudioEncoder) && !lists.audioEncoders.isEmpty())
            b->audioFourCC = StringToFourCC(chooseEncoder(lists.audioEncoders, def(QStringLiteral("AudioEncoders"))));
        const QString resolution = QStringLiteral("Resolution");
        if (ruleSets(resolution, ChangeResolution) && !lists.custom.value(QStringLiteral("customResolution"))
            && !lists.list(resolution).isEmpty()) {
            const QStringList wh = choose(lists.list(resolution), def(resolution)).split(QLatin1Char('*'));
            if (wh.size() == 2) {
                b->width = wh[0].trimmed().toInt();
                b->height = wh[1].trimmed().toInt();
            }
        }
        const QString frameRate = QStringLiteral("FrameRate");
        if (ruleSets(frameRate, ChangeFrameRate) && !lists.custom.value(QStringLiteral("customFrameRate"))
            && !lists.list(frameRate).isEmpty())
            b->frameRate = cutFrameRate(choose(lists.list(frameRate), def(frameRate)).trimmed().toDouble());
        const QString channel = QStringLiteral("Channel");
        if (ruleSets(channel, ChangeChannel) && !lists.list(channel).isEmpty())
            b->channels = uint32_t(qMax(0, choose(lists.list(channel), def(channel)).trimmed().toInt()));
        const QString sampleRate = QStringLiteral("SampleRate");
        if (ruleSets(sampleRate, ChangeSampleRate) && !lists.list(sampleRate).isEmpty())
            b->sampleRate = uint32_t(qMax(0, choose(lists.list(sampleRate), def(sampleRate)).trimmed().toInt()));
        for (bool video : {true, false}) {
            const QString key = video ? QStringLiteral("VideoBitrate") : QStringLiteral("AudioBitrate");
            uint32_t &rate = video ? b->videoBitrate : b->audioBitrate;
            if (lists.list(key).isEmpty())
                rate = 0;
            else if (ruleSets(key, video ? ChangeVideoBitrate : ChangeAudioBitrate)
                     && !lists.custom.value(QStringLiteral("custom") + key))
                rate = uint32_t(qMax(0, choose(lists.list(key), def(key)).trimmed().toInt()));
        }
        encoding = encodingDictionary(*b);
    }
    const QString container = lists.fourCC.isEmpty() ? fourCC() : lists.fourCC;
    b->containerFourCC = StringToFourCC(container.trimmed());
    logFormat(QStringLiteral("Settings:\n%1")
                  .arg(QString::fromUtf8(QJsonDocument(QJsonObject::fromVariantMap(lists.toVariantMap())).toJson())));
    return lists;
}

QString GetEncodeParamDescription(const IM_EncodeParamEx *b)
{
    if (!b)
        return QStringLiteral("{\n}");
    const QString container = FourCCToString(b->containerFourCC);
    const IM_FileFormat *format = IM_FileFormatMgr::sharedFileFormatMgr().fileFormatWithFourCC(b->containerFourCC);
    auto nameOf = [&](uint32_t code, bool video) -> QString {
        if (!format)
            return {};
        for (uint32_t c : video ? format->videoEncoders : format->audioEncoders)
            if (c == code)
                return EncoderMaps::displayName(c, video);
        return {};
    };
    QString rate = QString::asprintf("%g", b->frameRate);
    if (rate.size() >= 6)
        rate.truncate(5);
    QString text = QStringLiteral("{\n");
    text += QStringLiteral("    FourCC = %1\n").arg(container);
    text += QStringLiteral("    DisableVideo = %1\n").arg(b->videoDisabled ? QStringLiteral("YES") : QStringLiteral("NO"));
    text += QStringLiteral("    DisableAudio = %1\n\n").arg(b->audioDisabled ? QStringLiteral("YES") : QStringLiteral("NO"));
    text += QStringLiteral("    Video CodeC = %1(%2)\n").arg(FourCCToString(b->videoFourCC), nameOf(b->videoFourCC, true));
    text += QStringLiteral("    Resolution = %1*%2\n").arg(b->width).arg(b->height);
    text += QStringLiteral("    FrameRate = %1 fps\n").arg(rate);
    text += QStringLiteral("    VideoBitrate = %1 kbps\n\n").arg(int32_t(b->videoBitrate));
    text += QStringLiteral("    Audio CodeC = %1(%2)\n").arg(FourCCToString(b->audioFourCC), nameOf(b->audioFourCC, false));
    text += QStringLiteral("    Channel = %1\n").arg(int32_t(b->channels));
    text += QStringLiteral("    SampleRate = %1 Hz\n").arg(int32_t(b->sampleRate));
    text += QStringLiteral("    AudioBitrate = %1 kbps\n").arg(int32_t(b->audioBitrate));
    text += QStringLiteral("}");
    return text;
}
