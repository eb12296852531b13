#pragma once

#include "media/IM_EncodeParamEx.h"

#include <QDialog>
#include <QStringList>
#include <QVariantMap>

#include <functional>

class EncFormatMgr;
class FormatItem;
class MGCheckButton;
class MGHoverButton;
class QListWidget;

// The output-format sheet of "Download then Convert": categories of the preset catalogue, the
// presets of the chosen category with their output size, the recently used presets, and the
// three option boxes. Done hands the convert parameter dictionary to the delegate; it is the
// dictionary the library converts finished downloads with, so its keys and value types are
// fixed:
//   "FormatTitle" text, "formatID" integer, "encParam" 70,480 bytes (bit rates in bit/s),
//   "isExportToItunes", "isShowInFinder", "isMergeSubtitle" booleans.
class DownConvertFormatSheet : public QDialog
{
    Q_OBJECT
public:
    static constexpr int RecentCategoryID = 100;
    static constexpr int FirstCategoryID = 1;
    static constexpr int MaxRecentFormats = 10;

    // (result code, dictionary): 1 and the choice on Done, 0 and an empty map on Cancel.
    using Delegate = std::function<void(int, const QVariantMap &)>;

    // catalogue null: the converter's global one (none loaded: an empty sheet whose Done does nothing).
    explicit DownConvertFormatSheet(EncFormatMgr *catalogue = nullptr, QWidget *parent = nullptr);
    ~DownConvertFormatSheet() override;

    void setDelegate(Delegate delegate) { m_delegate = std::move(delegate); }
    void setIsOneMode(bool on) { m_isOneMode = on; }
    bool isOneMode() const { return m_isOneMode; }
    int resultCode() const { return m_resultCode; }

    // Prepares the sheet (recent presets, first selection, option boxes) and runs it modally
    // over parent's window.
    void showSheet(QWidget *parent);
    void prepareForShowing();

    // The preset chosen in the grid becomes the working choice.
    void itemSelectedChange(int formatID);
    bool selectFormatID(int formatID, int categoryID);
    int selectedFormatID() const { return m_formatID; }
    int selectedCategoryID() const;
    QList<int> formatIDsOfCategory(int categoryID) const;
    QVariantMap getConvertParam() const;
    void clickDone();
    void cancelButtonClick();

    MGCheckButton *openFolderBox() const { return m_chkBtnOpenFolder; }
    MGCheckButton *iTunesBox() const { return m_chkBtnIniTunes; }
    MGCheckButton *mergeSubtitleBox() const { return m_chkBtnMergeSubtitle; }

    // The working block of a preset as the sheet hands it on: the preset's defaults, bit rates
    // in bit/s, resolution, frame rate and video bit rate following the source (Smart Fit).
    static void fillBlockForPreset(const FormatItem &preset, IM_EncodeParamEx *block);
    static QVariantMap convertParam(const QString &title, int formatID, const IM_EncodeParamEx &block,
                                    bool exportToItunes, bool showInFinder, bool mergeSubtitle);
    // The recent list after choosing title: moved or put in front, at most MaxRecentFormats.
    static QStringList recentListAfterChoosing(QStringList recent, const QString &title);
    // "%d*%d" of a preset with video, empty text without.
    static QString sizeDescription(const FormatItem &preset);

    // Called with each sheet just before it runs (tests answer sheets here).
    static void setRunHookForTesting(std::function<void(DownConvertFormatSheet *)> hook);

    void reject() override;

private:
    void buildControls();
    void fillCategories();
    void showCategory(int categoryID);
    QStringList recentTitles() const;
    void storeRecentTitles(const QStringList &titles) const;
    void finish(int code);

    EncFormatMgr *m_catalogue;
    QListWidget *m_categoryList = nullptr;
    QListWidget *m_formatGrid = nullptr;
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
    bool m_finished = false;
    Delegate m_delegate;
};
