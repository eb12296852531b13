#include "converter/ConvFromatController.h"

#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "converter/ConverterGlobal.h"
#include "converter/EncFormatMgr.h"
#include "converter/EncSettingViewCtl.h"
#include "converter/FormatItem.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"

#include <QFileInfo>
#include <QHBoxLayout>
#include <QPointer>
#include <QTimer>
#include <QVBoxLayout>

namespace {

QString tr1(const char *english) { return MainBundle::localizedString(english); }
const QString RecentKey = QStringLiteral("RecentUseFormat/VideoFormat");
const QString ItunesKey = QStringLiteral("isExportToItunes");
const QString MergeKey = QStringLiteral("isMergeSubtitle");
const QString TipsKey = QStringLiteral("SmartFitTipsPoped");
const QSize PanelSize(780, 470);

IM_EncodeParamEx freshBlock()
{
    IM_EncodeParamEx b = EncodeParamData::zeroed();
    b.presetDefaultsFlag = 1;
    return b;
}

} // namespace

ConvFromatController::ConvFromatController(EncFormatMgr *catalogue, QWidget *parent)
    : QDialog(parent)
    , m_catalogue(catalogue ? catalogue : g_formatMgr.get())
    , m_encodeParam(freshBlock())
{
    buildControls();
    fillCatalogue();
    addUseRecentUse();
}

ConvFromatController::~ConvFromatController() = default;

void ConvFromatController::buildControls()
{
    setObjectName(QStringLiteral("ConvFromatWindow"));
    setWindowTitle(tr1("Output Format"));
    setWindowModality(Qt::WindowModal);
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(10, 10, 10, 12);
    layout->setSpacing(6);
    m_formatControl = new CascadePanel(PanelSize, this);
    m_formatControl->setFixedSize(PanelSize);
    m_formatControl->setDelegate(this);
    layout->addWidget(m_formatControl);

    m_encSettingViewCtl = new EncSettingViewCtl;
    m_encSettingViewCtl->hide();
    m_formatControl->setEncSetView(m_encSettingViewCtl);

    const QColor grey(70, 70, 70);
    m_chkBtnOpenFolder = new MGCheckButton(this);
    m_chkBtnOpenFolder->setObjectName(QStringLiteral("chkBtnOpenFolder"));
    m_chkBtnOpenFolder->setTitle(tr1("Open the output folder when the conversion is done."));
    m_chkBtnIniTunes = new MGCheckButton(this);
    m_chkBtnIniTunes->setObjectName(QStringLiteral("chkBtnIniTunes"));
    m_chkBtnIniTunes->setTitle(tr1("Add the output video/audio file(s) to the music library."));
    m_chkBtnMergeSubtitle = new MGCheckButton(this);
    m_chkBtnMergeSubtitle->setObjectName(QStringLiteral("chkBtnMergeSubtitle"));
    m_chkBtnMergeSubtitle->setTitle(tr1("Merge the subtitle/CC to the output video."));
    for (MGCheckButton *box : {m_chkBtnOpenFolder, m_chkBtnIniTunes, m_chkBtnMergeSubtitle}) {
        box->setTextColor(grey);
        box->setMinimumHeight(20);
        layout->addWidget(box);
    }
    connect(m_chkBtnOpenFolder, &MGCheckButton::clicked, this, [this] { clickOpenFolerButton(); });
    connect(m_chkBtnIniTunes, &MGCheckButton::clicked, this, [this] { clickIniTunesButton(); });
    connect(m_chkBtnMergeSubtitle, &MGCheckButton::clicked, this, [this] { clickMergeSubtitleButton(); });

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_btnCancel = new MGHoverButton(this);
    m_btnCancel->setObjectName(QStringLiteral("btnCancel"));
    m_btnCancel->setButtonDisplayType(MGHoverButton::DisplayDialog);
    m_btnCancel->setTitle(tr1("Cancel"));
    m_btnCancel->setMinimumSize(90, 30);
    m_btnOK = new MGHoverButton(this);
    m_btnOK->setObjectName(QStringLiteral("btnOK"));
    m_btnOK->setButtonDisplayType(MGHoverButton::DisplayFilled);
    m_btnOK->setTitle(tr1("OK"));
    m_btnOK->setMinimumSize(90, 30);
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnOK);
    layout->addLayout(buttons);
    connect(m_btnOK, &MGHoverButton::clicked, this, [this] { clickDone(); });
    connect(m_btnCancel, &MGHoverButton::clicked, this, [this] { cancelButtonClick(); });
}

void ConvFromatController::fillCatalogue()
{
    // The recently used presets stand first; the sheet fills them on every showing.
    m_formatControl->addMenuItem(RecentCategoryID, tr1("Recently Used"), QStringLiteral("catRecent"));
    if (!m_catalogue)
        return;
    for (const QVariantMap &category : m_catalogue->formatCategorys())
        m_formatControl->addMenuItem(category.value(QStringLiteral("id")).toString().trimmed().toInt(),
                                     tr1(category.value(QStringLiteral("title")).toString().toUtf8().constData()),
                                     category.value(QStringLiteral("pixId")).toString());
    for (const EncFormatMgr::Item &preset : m_catalogue->formatItems())
        if (preset)
            m_formatControl->addSubMenuItem(preset->iD(), preset->title(), preset->pixID(), sizeDescription(*preset),
                                            preset->categoryid());
}

QString ConvFromatController::sizeDescription(const FormatItem &preset)
{
    if (!preset.enableVideoOutput())
        return QString();
    return QStringLiteral("%1*%2").arg(preset.width()).arg(preset.height());
}

void ConvFromatController::fillBlockForPreset(const FormatItem &preset, IM_EncodeParamEx *block)
{
    if (!block)
        return;
    preset.getDefaultSettings(block);
    // Presets speak kbit/s; the blocks handed on carry bit/s.
    block->videoBitrate *= 1000;
    block->audioBitrate *= 1000;
    SetAutomaticOfEncParam(block, IM_AutoResolution, true);
    SetAutomaticOfEncParam(block, IM_AutoFrameRate, true);
    SetAutomaticOfEncParam(block, IM_AutoVideoBitrate, true);
}

QVariantMap ConvFromatController::convertParam(const QString &title, int formatID, const IM_EncodeParamEx &block,
                                               bool exportToItunes, bool showInFinder, bool mergeSubtitle)
{
    return QVariantMap{{QStringLiteral("FormatTitle"), title},
                       {QStringLiteral("formatID"), formatID},
                       {QStringLiteral("encParam"), EncodeParamData::toData(block)},
                       {QStringLiteral("isExportToItunes"), exportToItunes},
                       {QStringLiteral("isShowInFinder"), showInFinder},
                       {QStringLiteral("isMergeSubtitle"), mergeSubtitle}};
}

QStringList ConvFromatController::recentListAfterChoosing(QStringList recent, const QString &title)
{
    if (title.isEmpty())
        return recent;
    recent.removeAll(title);
    recent.prepend(title);
    while (recent.size() > MaxRecentFormats)
        recent.removeLast();
    return recent;
}

QStringList ConvFromatController::recentTitles() const
{
    if (!g_productSettings)
        return {};
    QStringList titles;
    for (const QVariant &v : g_productSettings->arrayValueForKey(RecentKey))
        if (v.typeId() == QMetaType::QString)
            titles << v.toString();
    return titles;
}

void ConvFromatController::storeRecentTitles(const QStringList &titles) const
{
    if (!g_productSettings)
        return;
    g_productSettings->setArrayValue(QVariant(titles), RecentKey);
    g_productSettings->syncPreferences();
}

void ConvFromatController::addUseRecentUse()
{
    m_formatControl->deleteAllSubItemInItem(RecentCategoryID);
    if (m_catalogue) {
        // Titles without a preset are skipped; the stored list keeps them.
        for (const QString &title : recentTitles())
            if (const auto preset = m_catalogue->formatItemForTitle(title))
                m_formatControl->addSubMenuItem(preset->iD(), preset->title(), preset->pixID(), sizeDescription(*preset),
                                                RecentCategoryID);
    }
    m_formatControl->updateView();
}

void ConvFromatController::prepareForShowing()
{
    m_resultCode = 0;
    m_finished = false;
    addUseRecentUse();
    m_formatControl->ShowParamInfoView();
    if (m_formatControl->getSubItemCountforParentID(RecentCategoryID) > 0) {
        m_formatControl->SelectedFirstItem();
        m_formatControl->SelectedFirstRecentItem();
        m_formatControl->moveToIndex(0);
    } else {
        m_formatControl->setSelectCategoryID(FirstCategoryID);
        m_formatControl->SelectedFirstItem();
    }
    m_isShowInFinder = false;
    m_chkBtnOpenFolder->setState(0);
    UserDefaults &defaults = UserDefaults::standard();
    if (m_chkBtnIniTunes->isEnabled()) {
        m_isImportToItunes = defaults.boolForKey(ItunesKey);
        m_chkBtnIniTunes->setState(m_isImportToItunes ? 1 : 0);
    }
    if (m_chkBtnMergeSubtitle->isEnabled()) {
        m_isMergeSubtitle = defaults.boolForKey(MergeKey);
        m_chkBtnMergeSubtitle->setState(m_isMergeSubtitle ? 1 : 0);
    }
    m_btnOK->setEnabled(m_formatID >= 0);
}

void ConvFromatController::showSheet(QWidget *parent)
{
    if (parent && parent->window() != parentWidget())
        setParent(parent->window(), windowFlags() | Qt::Sheet);
    setWindowModality(parentWidget() ? Qt::WindowModal : Qt::ApplicationModal);
    prepareForShowing();
    open();
}

void ConvFromatController::showSheet(QWidget *parent, const QString &subtitlePath)
{
    const bool has = !subtitlePath.isEmpty() && QFileInfo::exists(subtitlePath);
    m_chkBtnMergeSubtitle->setEnabled(has);
    if (!has) {
        m_chkBtnMergeSubtitle->setState(0);
        m_isMergeSubtitle = false;
    }
    showSheet(parent);
}

void ConvFromatController::itemSelectedChange(int formatID)
{
    const auto preset = m_catalogue ? m_catalogue->formatItemForID(std::abs(formatID)) : nullptr;
    if (!preset)
        return;
    fillBlockForPreset(*preset, &m_encodeParam);
    m_formatID = preset->iD();
    m_strFormatTitle = preset->title();
    if (preset->canToITunes()) {
        m_isImportToItunes = UserDefaults::standard().boolForKey(ItunesKey);
        m_chkBtnIniTunes->setState(m_isImportToItunes ? 1 : 0);
        m_chkBtnIniTunes->setEnabled(true);
    } else {
        m_chkBtnIniTunes->setEnabled(false);
        m_chkBtnIniTunes->setState(0);
        m_isImportToItunes = false;
    }
    m_btnOK->setEnabled(true);
}

void ConvFromatController::showEncParamInfo(int formatID)
{
    const auto preset = m_catalogue ? m_catalogue->formatItemForID(std::abs(formatID)) : nullptr;
    if (!preset)
        return;
    m_encSettingViewCtl->show();
    m_encSettingViewCtl->setFormatImage(preset->pixID());
    m_encSettingViewCtl->setMediaLength(0, preset->categoryid() != AudioCategoryID);
    m_encSettingViewCtl->setFormatItem(preset, m_encodeParam,
                                       {{QStringLiteral("customVideoBitrate"), false},
                                        {QStringLiteral("customAudioBitrate"), false}});
    UserDefaults &defaults = UserDefaults::standard();
    if (!defaults.boolForKey(TipsKey)) {
        QPointer<EncSettingViewCtl> view(m_encSettingViewCtl);
        QTimer::singleShot(500, this, [view] {
            if (view)
                view->clickWhatIsSmartFit();
        });
        defaults.setBool(TipsKey, true);
        defaults.synchronize();
    }
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_ConvertOperation"),
                                                QStringLiteral("Id_ConvertOperation_Setting"));
}

void ConvFromatController::saveEncParamSetting(int formatID)
{
    m_encSettingViewCtl->clickBtnOK();
    // The settings view keeps bit/s throughout: its block is taken as it is.
    m_encodeParam = m_encSettingViewCtl->encodeParam();
    if (m_encodeParam.videoDisabled == 0)
        m_formatControl->resetResolution(m_encodeParam.width, m_encodeParam.height, formatID);
    if (const auto preset = m_catalogue ? m_catalogue->formatItemForID(std::abs(formatID)) : nullptr) {
        m_formatID = preset->iD();
        m_strFormatTitle = preset->title();
    }
}

QVariantMap ConvFromatController::getConvertParam()
{
    m_isShowInFinder = m_chkBtnOpenFolder->state() != 0;
    m_isImportToItunes = m_chkBtnIniTunes->state() != 0;
    m_isMergeSubtitle = m_chkBtnMergeSubtitle->state() != 0;
    return convertParam(m_strFormatTitle, m_formatID, m_encodeParam, m_isImportToItunes, m_isShowInFinder,
                        m_isMergeSubtitle);
}

void ConvFromatController::clickDone()
{
    if (m_finished || m_formatID < 0)
        return;
    g_bCustomVideoBitrate = false;
    g_bCustomAudioBitrate = false;
    storeRecentTitles(recentListAfterChoosing(recentTitles(), m_strFormatTitle));
    UserDefaults &defaults = UserDefaults::standard();
    defaults.synchronize();
    // Values edited in the open settings view are kept.
    m_formatControl->ShowParamInfoView();
    addUseRecentUse();
    const QVariantMap param = getConvertParam();
    if (m_chkBtnIniTunes->isEnabled()) {
        defaults.setBool(ItunesKey, m_chkBtnIniTunes->state() != 0);
        defaults.synchronize();
    }
    m_resultCode = 1;
    finish(1, param);
}

void ConvFromatController::cancelButtonClick()
{
    if (m_finished)
        return;
    g_bCustomVideoBitrate = false;
    g_bCustomAudioBitrate = false;
    m_formatControl->ShowParamInfoView();
    m_resultCode = 0;
    finish(0, QVariantMap());
}

void ConvFromatController::reject()
{
    // Escape and the window's close button are a Cancel: the caller always hears the end.
    cancelButtonClick();
}

void ConvFromatController::finish(int code, const QVariantMap &param)
{
    m_finished = true;
    if (isVisible())
        done(code);
    else
        setResult(code);
    if (m_delegate)
        m_delegate->paramWindowClose(code, param);
    if (m_handler)
        m_handler(code, param);
}

void ConvFromatController::clickOpenFolerButton()
{
    m_isShowInFinder = m_chkBtnOpenFolder->state() != 0;
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_ConvertOperation"),
                                                QStringLiteral("Id_ConvertOperation_OpenDir"));
}

void ConvFromatController::clickIniTunesButton()
{
    m_isImportToItunes = m_chkBtnIniTunes->state() != 0;
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_ConvertOperation"),
                                                QStringLiteral("Id_ConvertOperation_Exp2iTunes"));
}

void ConvFromatController::clickMergeSubtitleButton()
{
    m_isMergeSubtitle = m_chkBtnMergeSubtitle->state() != 0;
    QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_ConvertOperation"),
                                                QStringLiteral("Id_ConvertOperation_MergeC"));
}
