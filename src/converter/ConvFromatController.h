#pragma once

#include "converter/CascadePanel.h"
#include "downloads/FormatSheetHandoff.h"
#include "media/IM_EncodeParamEx.h"

#include <QDialog>
#include <QStringList>
#include <QVariantMap>

#include <functional>

class EncFormatMgr;
class EncSettingViewCtl;
class FormatItem;
class MGCheckButton;
class MGHoverButton;

class ConvFromatControllerDelegate
{
public:
    virtual ~ConvFromatControllerDelegate() = default;
    // 1 and the convert parameter dictionary on Done; 0 and an empty map on Cancel.
    virtual void paramWindowClose(int resultCode, const QVariantMap &param) = 0;
};

// The output-format sheet: the preset chooser (categories, presets, "Recently Used"), the encoder
// settings of the chosen preset and three option boxes. Window-modal over its parent (open(),
// never a nested event loop). Done hands the delegate the convert parameter dictionary, whose
// keys and types the library and the Convert page read back:
//   "FormatTitle" text, "formatID" integer, "encParam" one 70,480-byte block (bit rates in
//   bit/s), "isExportToItunes", "isShowInFinder", "isMergeSubtitle" booleans.
// One sheet is made per caller and shown again for every choice.
class ConvFromatController : public QDialog, public CascadePanelDelegate, public FormatSheetHandoff
{
    Q_OBJECT
public:
    static constexpr int RecentCategoryID = CascadePanel::RecentCategoryID;
    static constexpr int FirstCategoryID = CascadePanel::FirstCategoryID;
    static constexpr int AudioCategoryID = 8;
    static constexpr int MaxRecentFormats = 10;

    // catalogue null: the global one (none loaded: an empty sheet whose Done does nothing).
    explicit ConvFromatController(EncFormatMgr *catalogue = nullptr, QWidget *parent = nullptr);
    ~ConvFromatController() override;

    void setDelegate(ConvFromatControllerDelegate *delegate) { m_delegate = delegate; }
    bool isOneMode() const { return m_isOneMode; }
    int resultCode() const { return m_resultCode; }

    // FormatSheetHandoff
    void setCloseHandler(std::function<void(int, const QVariantMap &)> handler) override { m_handler = std::move(handler); }
    void setIsOneMode(bool on) override { m_isOneMode = on; }
    void showSheet(QWidget *parent) override;
    QWidget *sheetWidget() override { return this; }
    void showSheet(QWidget *parent, const QString &subtitlePath);

    // Prepares a showing without showing (the recent category, the first selection, the boxes).
    void prepareForShowing();
    QVariantMap getConvertParam();
    void clickDone();
    void cancelButtonClick();
    void clickOpenFolerButton();
    void clickIniTunesButton();
    void clickMergeSubtitleButton();
    int selectedFormatID() const { return m_formatID; }
    QString formatTitle() const { return m_strFormatTitle; }
    const IM_EncodeParamEx &workingBlock() const { return m_encodeParam; }

    // CascadePanelDelegate
    void itemSelectedChange(int formatID) override;
    void showEncParamInfo(int formatID) override;
    void saveEncParamSetting(int formatID) override;

    CascadePanel *formatControl() const { return m_formatControl; }
    EncSettingViewCtl *encSettingView() const { return m_encSettingViewCtl; }
    MGCheckButton *openFolderBox() const { return m_chkBtnOpenFolder; }
    MGCheckButton *iTunesBox() const { return m_chkBtnIniTunes; }
    MGCheckButton *mergeSubtitleBox() const { return m_chkBtnMergeSubtitle; }
    MGHoverButton *okButton() const { return m_btnOK; }
    MGHoverButton *cancelButton() const { return m_btnCancel; }

    // Pure rules of the sheet.
    // The working block of a preset: its defaults, bit rates in bit/s, size, frame rate and video
    // bit rate following the source.
    static void fillBlockForPreset(const FormatItem &preset, IM_EncodeParamEx *block);
    static QVariantMap convertParam(const QString &title, int formatID, const IM_EncodeParamEx &block,
                                    bool exportToItunes, bool showInFinder, bool mergeSubtitle);
    // The recent list after choosing title: moved or put in front, at most MaxRecentFormats.
    static QStringList recentListAfterChoosing(QStringList recent, const QString &title);
    // "%d*%d" of a preset with video, empty text without.
    static QString sizeDescription(const FormatItem &preset);

    void reject() override;

private:
    void buildControls();
    void fillCatalogue();
    void addUseRecentUse();
    QStringList recentTitles() const;
    void storeRecentTitles(const QStringList &titles) const;
    void finish(int code, const QVariantMap &param);

    EncFormatMgr *m_catalogue;
    CascadePanel *m_formatControl = nullptr;
    EncSettingViewCtl *m_encSettingViewCtl = nullptr;
    MGCheckButton *m_chkBtnOpenFolder = nullptr;
    MGCheckButton *m_chkBtnIniTunes = nullptr;
    MGCheckButton *m_chkBtnMergeSubtitle = nullptr;
    MGHoverButton *m_btnOK = nullptr;
    MGHoverButton *m_btnCancel = nullptr;
    IM_EncodeParamEx m_encodeParam;
    QString m_strFormatTitle;
    int m_formatID = -1;
    int m_resultCode = 0;
    bool m_isOneMode = false;
    bool m_isImportToItunes = false;
    bool m_isShowInFinder = false;
    bool m_isMergeSubtitle = false;
    bool m_finished = true;
    ConvFromatControllerDelegate *m_delegate = nullptr;
    std::function<void(int, const QVariantMap &)> m_handler;
};
