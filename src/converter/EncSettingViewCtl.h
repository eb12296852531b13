#pragma once

#include "converter/EncDataSource.h"
#include "converter/FormatItem.h"
#include "media/IM_EncodeParamEx.h"

#include <QMap>
#include <QWidget>

#include <memory>

class QComboBox;
class QGroupBox;
class QLabel;
class QPushButton;
class VCPopUpButton;

// The encoder settings of the chosen preset inside the output-format sheet: video encoder,
// resolution, frame rate and bit rate; audio encoder, sample rate, channels and bit rate. A
// pop-up left on "Smart Fit" marks its value in the block to follow the source.
//
// The panel's block keeps bit rates in bit/s, as it came in; a bit rate the user picks in kbps
// is converted once, when picked, so a value nobody touched is never scaled.
class EncSettingViewCtl : public QWidget
{
    Q_OBJECT
public:
    explicit EncSettingViewCtl(QWidget *parent = nullptr);

    // Copies the block (bit/s) and shows the preset's lists for it.
    void setFormatItem(const std::shared_ptr<FormatItem> &preset, const IM_EncodeParamEx &block,
                       const QVariantMap &customInfo = {});
    void setMediaLength(qint64 length, bool hasVideo);
    void setFormatImage(const QString &name);
    // The block with the Smart Fit marks of the pop-ups (bit rates in bit/s).
    IM_EncodeParamEx encodeParam();
    std::shared_ptr<FormatItem> formatItem() const { return m_formatItem; }
    void refreshView();

    void clickBtnOK();
    void clickBtnCancel() { clickBtnOK(); }
    void clickBtnDefault();
    void clickWhatIsSmartFit();

    // Picks by title, as the pop-ups do.
    void selectVideoResolution(const QString &title);
    void selectVideoFrameRate(const QString &title);
    void selectVideoBitRate(const QString &title);
    void selectAudioSampleRate(const QString &title);
    void selectAudioChannels(const QString &title);
    void selectAudioBitRate(const QString &title);
    void selectVideoEncoder(int index);
    void selectAudioEncoder(int index);

    bool validateEnc() const;

    VCPopUpButton *resolutionPopUp() const { return m_popVideoResolution; }
    VCPopUpButton *frameRatePopUp() const { return m_popVideoFrameRate; }
    VCPopUpButton *videoBitRatePopUp() const { return m_popVideoBitRate; }
    VCPopUpButton *sampleRatePopUp() const { return m_popAudioSampelRate; }
    VCPopUpButton *channelPopUp() const { return m_popAudioChannel; }
    VCPopUpButton *audioBitRatePopUp() const { return m_popAudioBitRate; }
    QComboBox *videoEncoderBox() const { return m_cbxVideoEncoder; }
    QComboBox *audioEncoderBox() const { return m_cbxAudioEncoder; }
    QLabel *videoEncoderLabel() const { return m_txtVideoEncoder; }
    QLabel *audioEncoderLabel() const { return m_txtAudioEncoder; }
    QGroupBox *videoBox() const { return m_boxVideo; }
    QPushButton *defaultButton() const { return m_defaultButton; }
    const EncDataSource &dataSource() const { return m_encData; }

private:
    void configEncSetting();
    void layoutEncoders();
    void setVideoBoxandChildsEnable(bool on);
    void fillPopUp(VCPopUpButton *pop, const QStringList &titles, bool withSmartFit);
    void changed(int type, const char *key);

    QGroupBox *m_boxVideo = nullptr;
    QGroupBox *m_boxAudio = nullptr;
    QComboBox *m_cbxVideoEncoder = nullptr;
    QComboBox *m_cbxAudioEncoder = nullptr;
    QLabel *m_txtVideoEncoder = nullptr;
    QLabel *m_txtAudioEncoder = nullptr;
    VCPopUpButton *m_popVideoResolution = nullptr;
    VCPopUpButton *m_popVideoFrameRate = nullptr;
    VCPopUpButton *m_popVideoBitRate = nullptr;
    VCPopUpButton *m_popAudioSampelRate = nullptr;
    VCPopUpButton *m_popAudioChannel = nullptr;
    VCPopUpButton *m_popAudioBitRate = nullptr;
    QPushButton *m_defaultButton = nullptr;
    QPushButton *m_whatButton = nullptr;
    QLabel *m_imageView = nullptr;
    IM_EncodeParamEx m_block;
    std::shared_ptr<FormatItem> m_formatItem;
    EncDataSource m_encData;
    bool m_bHadVideo = true;
    bool m_bValidateVideoBitRate = true;
    bool m_bValidateAudioBitRate = true;
    bool m_bValidateFrameRate = true;
    bool m_bValidateResolution = true;
    bool m_videoBoxEnable = true;
    bool m_filling = false;
};
