#include "converter/EncSettingViewCtl.h"

#include "converter/ImageManager.h"
#include "converter/VCPopUpButton.h"
#include "media/FourCC.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/MainBundle.h"
#include "platform/log/ScribletLogger.h"
#include "shell/MGMessageBox.h"

#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString tr1(const char *english) { return MainBundle::localizedString(english); }

QString kbpsTitle(const QString &kbps) { return QStringLiteral("%1 kbps").arg(kbps.trimmed().toInt()); }

// Runs the preset's rules on a copy in the kbit/s the rules speak and brings back, in bit/s,
// only the rates a rule changed.
FormatSettingsLists listsFor(const FormatItem &preset, IM_EncodeParamEx *block)
{
    IM_EncodeParamEx kb = *block;
    kb.videoBitrate = block->videoBitrate / 1000;
    kb.audioBitrate = block->audioBitrate / 1000;
    const FormatSettingsLists lists = preset.getSettingsListsWithEncoderParam(&kb);
    const uint32_t video = block->videoBitrate, audio = block->audioBitrate;
    *block = kb;
    block->videoBitrate = kb.videoBitrate == video / 1000 ? video : kb.videoBitrate * 1000;
    block->audioBitrate = kb.audioBitrate == audio / 1000 ? audio : kb.audioBitrate * 1000;
    return lists;
}

void selectTitle(QComboBox *box, const QString &title)
{
    const int i = box->findText(title);
    box->setCurrentIndex(i >= 0 ? i : 0);
}

} // namespace

EncSettingViewCtl::EncSettingViewCtl(QWidget *parent)
    : QWidget(parent)
    , m_block(EncodeParamData::zeroed())
    , m_formatItem(std::make_shared<FormatItem>())
{
    setObjectName(QStringLiteral("EncSettingView"));
    auto *root = new QVBoxLayout(this);
    root->setContentsMargins(0, 0, 0, 0);
    auto *head = new QHBoxLayout;
    m_imageView = new QLabel(this);
    m_imageView->setFixedSize(48, 48);
    head->addWidget(m_imageView);
    head->addStretch(1);
    m_defaultButton = new QPushButton(tr1("Smart Fit"), this);
    m_defaultButton->setObjectName(QStringLiteral("SmartFitButton"));
    m_whatButton = new QPushButton(QStringLiteral("?"), this);
    m_whatButton->setObjectName(QStringLiteral("WhatIsSmartFit"));
    m_whatButton->setFixedWidth(26);
    head->addWidget(m_defaultButton);
    head->addWidget(m_whatButton);
    root->addLayout(head);

    auto makeBox = [this](const QString &title, QGroupBox *&box, QComboBox *&encoder, QLabel *&label,
                          const QStringList &captions, QList<VCPopUpButton **> pops) {
        box = new QGroupBox(title, this);
        auto *grid = new QGridLayout(box);
        grid->setHorizontalSpacing(10);
        grid->addWidget(new QLabel(tr1("Encoder:"), box), 0, 0);
        encoder = new QComboBox(box);
        encoder->setEditable(false);
        grid->addWidget(encoder, 0, 1);
        label = new QLabel(box);
        label->setTextInteractionFlags(Qt::TextSelectableByMouse);
        QFont f = label->font();
        f.setPointSize(11);
        label->setFont(f);
        label->hide();
        grid->addWidget(label, 0, 1);
        for (int i = 0; i < pops.size(); ++i) {
            grid->addWidget(new QLabel(captions[i], box), i + 1, 0);
            *pops[i] = new VCPopUpButton(box);
            (*pops[i])->setMinimumWidth(180);
            grid->addWidget(*pops[i], i + 1, 1);
        }
        grid->setColumnStretch(1, 1);
    };
    makeBox(tr1("Video"), m_boxVideo, m_cbxVideoEncoder, m_txtVideoEncoder,
            {tr1("Resolution:"), tr1("Frame Rate:"), tr1("Bit Rate:")},
            {&m_popVideoResolution, &m_popVideoFrameRate, &m_popVideoBitRate});
    makeBox(tr1("Audio"), m_boxAudio, m_cbxAudioEncoder, m_txtAudioEncoder,
            {tr1("Sample Rate:"), tr1("Channels:"), tr1("Bit Rate:")},
            {&m_popAudioSampelRate, &m_popAudioChannel, &m_popAudioBitRate});
    auto *boxes = new QHBoxLayout;
    boxes->addWidget(m_boxVideo);
    boxes->addWidget(m_boxAudio);
    root->addLayout(boxes);
    root->addStretch(1);

    auto onTitle = [this](VCPopUpButton *pop, void (EncSettingViewCtl::*pick)(const QString &)) {
        connect(pop, &QComboBox::activated, this, [this, pop, pick](int i) {
            if (!m_filling)
                (this->*pick)(pop->itemText(i));
        });
    };
    onTitle(m_popVideoResolution, &EncSettingViewCtl::selectVideoResolution);
    onTitle(m_popVideoFrameRate, &EncSettingViewCtl::selectVideoFrameRate);
    onTitle(m_popVideoBitRate, &EncSettingViewCtl::selectVideoBitRate);
    onTitle(m_popAudioSampelRate, &EncSettingViewCtl::selectAudioSampleRate);
    onTitle(m_popAudioChannel, &EncSettingViewCtl::selectAudioChannels);
    onTitle(m_popAudioBitRate, &EncSettingViewCtl::selectAudioBitRate);
    connect(m_cbxVideoEncoder, &QComboBox::activated, this, [this](int i) { selectVideoEncoder(i); });
    connect(m_cbxAudioEncoder, &QComboBox::activated, this, [this](int i) { selectAudioEncoder(i); });
    connect(m_defaultButton, &QPushButton::clicked, this, [this] { clickBtnDefault(); });
    connect(m_whatButton, &QPushButton::clicked, this, [this] { clickWhatIsSmartFit(); });
}

void EncSettingViewCtl::setFormatItem(const std::shared_ptr<FormatItem> &preset, const IM_EncodeParamEx &block,
                                      const QVariantMap &)
{
    m_block = block;
    m_formatItem = preset ? preset : std::make_shared<FormatItem>();
    m_formatItem->setChangeItemType(FormatItem::ChangeNone);
    m_bValidateVideoBitRate = m_bValidateAudioBitRate = m_bValidateFrameRate = m_bValidateResolution = true;
    configEncSetting();
    layoutEncoders();
}

void EncSettingViewCtl::setMediaLength(qint64, bool hasVideo) { m_bHadVideo = hasVideo; }

void EncSettingViewCtl::setFormatImage(const QString &name)
{
    const QImage img = g_imageMgr ? g_imageMgr->imageWithSliceId(name, QStringLiteral("formatIcons")) : QImage();
    m_imageView->setPixmap(QPixmap::fromImage(img));
}

void EncSettingViewCtl::refreshView()
{
    configEncSetting();
    layoutEncoders();
}

void EncSettingViewCtl::fillPopUp(VCPopUpButton *pop, const QStringList &titles, bool withSmartFit)
{
    pop->clear();
    if (withSmartFit) {
        pop->addItem(EncDataSource::smartFit());
        if (!titles.isEmpty())
            pop->insertSeparator(1);
    }
    pop->addItems(titles);
    pop->setCurrentIndex(0);
}

void EncSettingViewCtl::configEncSetting()
{
    m_filling = true;
    const FormatSettingsLists lists = listsFor(*m_formatItem, &m_block);
    ScribletLogDebug(QStringLiteral("configEncSetting: %1").arg(lists.videoEncoders.size()));
    m_encData.setData(lists);

    m_cbxVideoEncoder->clear();
    for (int i = 0; i < m_encData.numberOfItems(EncDataSource::VideoEncoder); ++i)
        m_cbxVideoEncoder->addItem(m_encData.itemAtIndex(EncDataSource::VideoEncoder, i));
    m_cbxVideoEncoder->setCurrentText(EncoderMaps::nameFor(lists.videoEncoders, FourCCToString(m_block.videoFourCC).trimmed()));

    QStringList titles;
    for (int i = 1; i < m_encData.numberOfItems(EncDataSource::Resolution); ++i)
        titles << m_encData.itemAtIndex(EncDataSource::Resolution, i);
    fillPopUp(m_popVideoResolution, titles, true);
    titles.clear();
    for (int i = 1; i < m_encData.numberOfItems(EncDataSource::FrameRate); ++i)
        titles << m_encData.itemAtIndex(EncDataSource::FrameRate, i);
    fillPopUp(m_popVideoFrameRate, titles, true);
    titles.clear();
    for (const QString &rate : lists.list(QStringLiteral("VideoBitrate")))
        titles << kbpsTitle(rate);
    fillPopUp(m_popVideoBitRate, titles, true);
    m_popVideoBitRate->setEnabled(!titles.isEmpty() && m_videoBoxEnable);

    m_cbxAudioEncoder->clear();
    for (int i = 0; i < m_encData.numberOfItems(EncDataSource::AudioEncoder); ++i)
        m_cbxAudioEncoder->addItem(m_encData.itemAtIndex(EncDataSource::AudioEncoder, i));
    m_cbxAudioEncoder->setCurrentText(EncoderMaps::nameFor(lists.audioEncoders, FourCCToString(m_block.audioFourCC).trimmed()));

    // A single channel count the block lacks becomes the block's.
    const QStringList channels = lists.list(QStringLiteral("Channel"));
    if (channels.size() == 1 && channels.first().trimmed().toUInt() != m_block.channels)
        m_block.channels = channels.first().trimmed().toUInt();
    titles.clear();
    for (const QString &c : channels)
        if (const QString t = EncDataSource::channelTitle(c); !t.isEmpty())
            titles << t;
    fillPopUp(m_popAudioChannel, titles, true);
    selectTitle(m_popAudioChannel, EncDataSource::channelTitle(QString::number(m_block.channels)));

    titles.clear();
    for (int i = 1; i < m_encData.numberOfItems(EncDataSource::SampleRate); ++i)
        titles << m_encData.itemAtIndex(EncDataSource::SampleRate, i);
    fillPopUp(m_popAudioSampelRate, titles, true);
    selectTitle(m_popAudioSampelRate, QStringLiteral("%1 Hz").arg(m_block.sampleRate));

    titles.clear();
    for (const QString &rate : lists.list(QStringLiteral("AudioBitrate")))
        titles << kbpsTitle(rate);
    fillPopUp(m_popAudioBitRate, titles, true);
    selectTitle(m_popAudioBitRate, kbpsTitle(QString::number(m_block.audioBitrate / 1000)));
    m_filling = false;
}

void EncSettingViewCtl::layoutEncoders()
{
    const bool video = m_bHadVideo && m_block.videoDisabled == 0;
    if (video != m_videoBoxEnable)
        setVideoBoxandChildsEnable(video);
    // One encoder: a read-only label with its name stands in for the box.
    auto single = [](QComboBox *box, QLabel *label, const EncoderMap &map) {
        const bool one = map.size() == 1;
        label->setVisible(one);
        box->setVisible(!one);
        if (one) {
            label->setText(map.first().second);
            label->setToolTip(map.first().second);
        }
    };
    if (video)
        single(m_cbxVideoEncoder, m_txtVideoEncoder, m_encData.data().videoEncoders);
    single(m_cbxAudioEncoder, m_txtAudioEncoder, m_encData.data().audioEncoders);
}

void EncSettingViewCtl::setVideoBoxandChildsEnable(bool on)
{
    m_videoBoxEnable = on;
    for (QWidget *w : std::initializer_list<QWidget *>{m_cbxVideoEncoder, m_popVideoResolution, m_popVideoFrameRate,
                                                      m_txtVideoEncoder})
        w->setEnabled(on);
    m_popVideoBitRate->setEnabled(on && m_popVideoBitRate->count() > 1);
    if (!on) {
        m_cbxVideoEncoder->setCurrentIndex(-1);
        m_txtVideoEncoder->clear();
    }
    m_popVideoFrameRate->setCurrentIndex(0);
    m_popVideoResolution->setCurrentIndex(0);
}

IM_EncodeParamEx EncSettingViewCtl::encodeParam()
{
    const QString smart = EncDataSource::smartFit();
    if (m_block.videoDisabled == 0) {
        SetAutomaticOfEncParam(&m_block, IM_AutoResolution, m_popVideoResolution->currentText() == smart);
        SetAutomaticOfEncParam(&m_block, IM_AutoFrameRate, m_popVideoFrameRate->currentText() == smart);
        SetAutomaticOfEncParam(&m_block, IM_AutoVideoBitrate, m_popVideoBitRate->currentText() == smart);
    } else {
        m_block.videoFourCC = 0;
    }
    SetAutomaticOfEncParam(&m_block, IM_AutoAudioBitrate, m_popAudioBitRate->currentText() == smart);
    SetAutomaticOfEncParam(&m_block, IM_AutoChannels, m_popAudioChannel->currentText() == smart);
    SetAutomaticOfEncParam(&m_block, IM_AutoSampleRate, m_popAudioSampelRate->currentText() == smart);
    return m_block;
}

void EncSettingViewCtl::clickBtnOK()
{
    m_txtVideoEncoder->hide();
    m_txtAudioEncoder->hide();
    m_cbxVideoEncoder->show();
    m_cbxAudioEncoder->show();
    for (QWidget *w : std::initializer_list<QWidget *>{m_cbxVideoEncoder, m_popVideoResolution, m_popVideoFrameRate,
                                                      m_popVideoBitRate, m_txtVideoEncoder})
        w->setEnabled(true);
    m_videoBoxEnable = true;
}

void EncSettingViewCtl::changed(int type, const char *key)
{
    m_formatItem->setChangeItemType(type);
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_Smartfit"), QString::fromLatin1(key));
}

void EncSettingViewCtl::selectVideoResolution(const QString &title)
{
    if (title != EncDataSource::smartFit()) {
        const QStringList wh = title.split(QLatin1Char('*'));
        m_block.width = wh.value(0).trimmed().toInt();
        m_block.height = wh.value(1).trimmed().toInt();
        m_bValidateResolution = true;
    }
    selectTitle(m_popVideoResolution, title);
    changed(FormatItem::ChangeResolution, "Id_Smartfit_VResolution");
}

void EncSettingViewCtl::selectVideoFrameRate(const QString &title)
{
    if (title != EncDataSource::smartFit()) {
        m_block.frameRate = title == tr1("Keep original frame rate") ? 0.0 : title.section(QLatin1Char(' '), 0, 0).toDouble();
        m_bValidateFrameRate = true;
    }
    selectTitle(m_popVideoFrameRate, title);
    changed(FormatItem::ChangeFrameRate, "Id_Smartfit_VFrameRate");
}

void EncSettingViewCtl::selectVideoBitRate(const QString &title)
{
    if (title != EncDataSource::smartFit()) {
        m_block.videoBitrate = uint32_t(qMax(0, title.section(QLatin1Char(' '), 0, 0).toInt())) * 1000;
        m_bValidateVideoBitRate = true;
    }
    selectTitle(m_popVideoBitRate, title);
    changed(FormatItem::ChangeVideoBitrate, "Id_Smartfit_VBitRate");
}

void EncSettingViewCtl::selectAudioSampleRate(const QString &title)
{
    if (title != EncDataSource::smartFit())
        m_block.sampleRate = uint32_t(qMax(0, title.section(QLatin1Char(' '), 0, 0).toInt()));
    selectTitle(m_popAudioSampelRate, title);
    changed(FormatItem::ChangeSampleRate, "Id_Smartfit_ASampleRate");
}

void EncSettingViewCtl::selectAudioChannels(const QString &title)
{
    if (title != EncDataSource::smartFit())
        m_block.channels = uint32_t(EncDataSource::channelCount(title));
    selectTitle(m_popAudioChannel, title);
    changed(FormatItem::ChangeChannel, "Id_Smartfit_AChannel");
}

void EncSettingViewCtl::selectAudioBitRate(const QString &title)
{
    if (title != EncDataSource::smartFit()) {
        m_block.audioBitrate = uint32_t(qMax(0, title.section(QLatin1Char(' '), 0, 0).toInt())) * 1000;
        m_bValidateAudioBitRate = true;
    }
    selectTitle(m_popAudioBitRate, title);
    // The audio bit rate's own type, so a rule never re-defaults the user's pick.
    changed(FormatItem::ChangeAudioBitrate, "Id_Smartfit_ABitRate");
}

void EncSettingViewCtl::selectVideoEncoder(int index)
{
    const EncoderMap &map = m_encData.data().videoEncoders;
    if (index < 0 || index >= map.size())
        return;
    m_block.videoFourCC = StringToFourCC(map.at(index).first);
    changed(FormatItem::ChangeVideoEncoder, "Id_Smartfit_VCodec");
    refreshView();
}

void EncSettingViewCtl::selectAudioEncoder(int index)
{
    const EncoderMap &map = m_encData.data().audioEncoders;
    if (index < 0 || index >= map.size())
        return;
    m_block.audioFourCC = StringToFourCC(map.at(index).first);
    changed(FormatItem::ChangeAudioEncoder, "Id_Smartfit_ACodec");
    refreshView();
}

void EncSettingViewCtl::clickBtnDefault()
{
    m_formatItem->getDefaultSettings(&m_block);
    // Presets speak kbit/s; the panel's block stays in bit/s.
    m_block.videoBitrate *= 1000;
    m_block.audioBitrate *= 1000;
    for (VCPopUpButton *pop : {m_popVideoResolution, m_popVideoFrameRate, m_popVideoBitRate, m_popAudioSampelRate,
                               m_popAudioChannel, m_popAudioBitRate})
        pop->setCurrentIndex(0);
    const FormatSettingsLists &lists = m_encData.data();
    m_cbxVideoEncoder->setCurrentText(EncoderMaps::nameFor(lists.videoEncoders, FourCCToString(m_block.videoFourCC).trimmed()));
    m_cbxAudioEncoder->setCurrentText(EncoderMaps::nameFor(lists.audioEncoders, FourCCToString(m_block.audioFourCC).trimmed()));
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_Smartfit"), QStringLiteral("Id_Smartfit_ClickSmartfit"));
}

void EncSettingViewCtl::clickWhatIsSmartFit()
{
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_Smartfit"), QStringLiteral("Id_Smartfit_ClickQuestionmark"));
    const QImage mark = g_imageMgr ? g_imageMgr->imageWithSliceId(QStringLiteral("questionmark"), QStringLiteral("MainWnd")) : QImage();
    MGMessageBox::messageWithNote(tr1("Intelligently recognizes the input video's settings and preserves original quality.  "),
                                  tr1("What's Smart Fit？"), QString(), tr1("OK"), mark,
                                  window() ? window()->frameGeometry() : QRect());
}

bool EncSettingViewCtl::validateEnc() const
{
    return m_bValidateVideoBitRate && m_bValidateAudioBitRate && m_bValidateFrameRate && m_bValidateResolution;
}
