#include "downloads/DownConvertFormatSheet.h"

#include "controls/MGCheckButton.h"
#include "controls/MGHoverButton.h"
#include "converter/ConverterGlobal.h"
#include "converter/EncFormatMgr.h"
#include "converter/FormatItem.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/MainBundle.h"
#include "platform/UserDefaults.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QVBoxLayout>

namespace {
QString tr1(const char *english) { return MainBundle::localizedString(english); }
const QString RecentKey = QStringLiteral("RecentUseFormat/VideoFormat");
std::function<void(DownConvertFormatSheet *)> s_runHook;
constexpr int FormatIDRole = Qt::UserRole + 1;
constexpr int CategoryIDRole = Qt::UserRole + 2;
} // namespace

DownConvertFormatSheet::DownConvertFormatSheet(EncFormatMgr *catalogue, QWidget *parent)
    : QDialog(parent)
    , m_catalogue(catalogue ? catalogue : g_formatMgr.get())
    , m_encodeParam(EncodeParamData::zeroed())
{
    m_encodeParam.presetDefaultsFlag = 1;
    buildControls();
    fillCategories();
}

DownConvertFormatSheet::~DownConvertFormatSheet() = default;

void DownConvertFormatSheet::setRunHookForTesting(std::function<void(DownConvertFormatSheet *)> hook)
{
    s_runHook = std::move(hook);
}

void DownConvertFormatSheet::buildControls()
{
    setObjectName(QStringLiteral("DownConvertFormatSheet"));
    setWindowTitle(tr1("Output Format"));
    setModal(true);
    resize(640, 440);
    setStyleSheet(QStringLiteral("#DownConvertFormatSheet{background:#FFFFFF;}"
                                 "QListWidget{border:1px solid #E1E5E8;border-radius:4px;background:#FFFFFF;outline:0;}"
                                 "QListWidget::item{color:#1F2933;}"
                                 "QListWidget#FormatCategories::item{padding:7px 8px;}"
                                 "QListWidget#FormatGrid::item{border:1px solid #E1E5E8;border-radius:6px;margin:4px;}"
                                 "QListWidget::item:hover{background:#F3FBF6;}"
                                 "QListWidget::item:selected{background:#E7F7ED;border-color:#20C05B;color:#1F2933;}"));
    auto *layout = new QVBoxLayout(this);
    layout->setContentsMargins(20, 16, 20, 16);
    auto *heading = new QLabel(tr1("Choose the output format of downloaded files:"), this);
    heading->setStyleSheet(QStringLiteral("color:#1F2933;font-size:13px;"));
    layout->addWidget(heading);

    auto *lists = new QHBoxLayout;
    m_categoryList = new QListWidget(this);
    m_categoryList->setObjectName(QStringLiteral("FormatCategories"));
    m_categoryList->setFixedWidth(150);
    m_formatGrid = new QListWidget(this);
    m_formatGrid->setObjectName(QStringLiteral("FormatGrid"));
    m_formatGrid->setViewMode(QListView::IconMode);
    m_formatGrid->setResizeMode(QListView::Adjust);
    m_formatGrid->setMovement(QListView::Static);
    m_formatGrid->setGridSize(QSize(136, 60));
    m_formatGrid->setUniformItemSizes(true);
    m_formatGrid->setWordWrap(true);
    lists->addWidget(m_categoryList);
    lists->addWidget(m_formatGrid, 1);
    layout->addLayout(lists, 1);

    const QColor boxText(70, 70, 70);
    m_chkBtnOpenFolder = new MGCheckButton(this);
    m_chkBtnOpenFolder->setTitle(tr1("Open the output folder when the conversion is done."));
    m_chkBtnIniTunes = new MGCheckButton(this);
    m_chkBtnIniTunes->setTitle(tr1("Export the output video/audio file(s) to iTunes (for Apple devices only)."));
    m_chkBtnMergeSubtitle = new MGCheckButton(this);
    m_chkBtnMergeSubtitle->setTitle(tr1("Merge the subtitle/CC to the output video."));
    for (MGCheckButton *box : {m_chkBtnOpenFolder, m_chkBtnIniTunes, m_chkBtnMergeSubtitle}) {
        box->setTextColor(boxText);
        box->setMinimumHeight(20);
        layout->addWidget(box);
    }

    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    m_btnCancel = new MGHoverButton(this);
    m_btnCancel->setButtonDisplayType(MGHoverButton::DisplayDialog);
    m_btnCancel->setTitle(tr1("Cancel"));
    m_btnCancel->setMinimumSize(90, 30);
    m_btnOK = new MGHoverButton(this);
    m_btnOK->setButtonDisplayType(MGHoverButton::DisplayFilled);
    m_btnOK->setTitle(tr1("OK"));
    m_btnOK->setMinimumSize(90, 30);
    buttons->addWidget(m_btnCancel);
    buttons->addWidget(m_btnOK);
    layout->addLayout(buttons);

    connect(m_categoryList, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item)
            showCategory(item->data(CategoryIDRole).toInt());
    });
    connect(m_formatGrid, &QListWidget::currentItemChanged, this, [this](QListWidgetItem *item) {
        if (item)
            itemSelectedChange(item->data(FormatIDRole).toInt());
    });
    connect(m_formatGrid, &QListWidget::itemDoubleClicked, this, [this] { clickDone(); });
    connect(m_btnOK, &MGHoverButton::clicked, this, [this] { clickDone(); });
    connect(m_btnCancel, &MGHoverButton::clicked, this, [this] { cancelButtonClick(); });
    const QList<QPair<MGCheckButton *, const char *>> boxes = {{m_chkBtnOpenFolder, "Id_ConvertOperation_OpenDir"},
                                                               {m_chkBtnIniTunes, "Id_ConvertOperation_Exp2iTunes"},
                                                               {m_chkBtnMergeSubtitle, "Id_ConvertOperation_MergeC"}};
    for (const auto &[box, event] : boxes) {
        const QString value = QString::fromLatin1(event);
        connect(box, &MGCheckButton::clicked, this, [value] {
            QVHPHelper::share().commIncreaseDataCollect(QStringLiteral("Id_ConvertOperation"), value);
        });
    }
}

void DownConvertFormatSheet::fillCategories()
{
    m_categoryList->clear();
    if (!recentTitles().isEmpty() && !formatIDsOfCategory(RecentCategoryID).isEmpty()) {
        auto *recent = new QListWidgetItem(tr1("Recently Used"), m_categoryList);
        recent->setData(CategoryIDRole, RecentCategoryID);
    }
    if (!m_catalogue)
        return;
    for (const QVariantMap &category : m_catalogue->formatCategorys()) {
        const int id = category.value(QStringLiteral("id")).toString().trimmed().toInt();
        if (formatIDsOfCategory(id).isEmpty())
            continue;
        auto *item = new QListWidgetItem(tr1(category.value(QStringLiteral("title")).toString().toUtf8().constData()),
                                         m_categoryList);
        item->setData(CategoryIDRole, id);
    }
}

QList<int> DownConvertFormatSheet::formatIDsOfCategory(int categoryID) const
{
    QList<int> ids;
    if (!m_catalogue)
        return ids;
    if (categoryID == RecentCategoryID) {
        // Titles without a preset are skipped; the stored list keeps them.
        for (const QString &title : recentTitles())
            if (auto preset = m_catalogue->formatItemForTitle(title); preset && !ids.contains(preset->iD()))
                ids << preset->iD();
        return ids;
    }
    for (const EncFormatMgr::Item &preset : m_catalogue->formatItems())
        if (preset && preset->categoryid() == categoryID)
            ids << preset->iD();
    return ids;
}

void DownConvertFormatSheet::showCategory(int categoryID)
{
    m_formatGrid->blockSignals(true);
    m_formatGrid->clear();
    for (int id : formatIDsOfCategory(categoryID)) {
        const auto preset = m_catalogue->formatItemForID(id);
        if (!preset)
            continue;
        const QString size = sizeDescription(*preset);
        auto *item = new QListWidgetItem(size.isEmpty() ? preset->title() : preset->title() + QLatin1Char('\n') + size,
                                         m_formatGrid);
        item->setTextAlignment(Qt::AlignCenter);
        item->setSizeHint(QSize(128, 52));
        item->setData(FormatIDRole, id);
    }
    m_formatGrid->blockSignals(false);
}

int DownConvertFormatSheet::selectedCategoryID() const
{
    const QListWidgetItem *item = m_categoryList->currentItem();
    return item ? item->data(CategoryIDRole).toInt() : -1;
}

bool DownConvertFormatSheet::selectFormatID(int formatID, int categoryID)
{
    for (int i = 0; i < m_categoryList->count(); ++i) {
        if (m_categoryList->item(i)->data(CategoryIDRole).toInt() != categoryID)
            continue;
        m_categoryList->setCurrentRow(i);
        for (int k = 0; k < m_formatGrid->count(); ++k) {
            if (m_formatGrid->item(k)->data(FormatIDRole).toInt() == formatID) {
                m_formatGrid->setCurrentRow(k);
                itemSelectedChange(formatID);
                return true;
            }
        }
    }
    return false;
}

QString DownConvertFormatSheet::sizeDescription(const FormatItem &preset)
{
    if (!preset.enableVideoOutput())
        return QString();
    return QStringLiteral("%1*%2").arg(preset.width()).arg(preset.height());
}

void DownConvertFormatSheet::fillBlockForPreset(const FormatItem &preset, IM_EncodeParamEx *block)
{
    if (!block)
        return;
    preset.getDefaultSettings(block);
    // Presets speak kbit/s; the converter's blocks carry bit/s.
    block->videoBitrate *= 1000;
    block->audioBitrate *= 1000;
    SetAutomaticOfEncParam(block, IM_AutoResolution, true);
    SetAutomaticOfEncParam(block, IM_AutoFrameRate, true);
    SetAutomaticOfEncParam(block, IM_AutoVideoBitrate, true);
}

QVariantMap DownConvertFormatSheet::convertParam(const QString &title, int formatID, const IM_EncodeParamEx &block,
                                                 bool exportToItunes, bool showInFinder, bool mergeSubtitle)
{
    return QVariantMap{{QStringLiteral("FormatTitle"), title},
                       {QStringLiteral("formatID"), formatID},
                       {QStringLiteral("encParam"), EncodeParamData::toData(block)},
                       {QStringLiteral("isExportToItunes"), exportToItunes},
                       {QStringLiteral("isShowInFinder"), showInFinder},
                       {QStringLiteral("isMergeSubtitle"), mergeSubtitle}};
}

QStringList DownConvertFormatSheet::recentListAfterChoosing(QStringList recent, const QString &title)
{
    if (title.isEmpty())
        return recent;
    recent.removeAll(title);
    recent.prepend(title);
    while (recent.size() > MaxRecentFormats)
        recent.removeLast();
    return recent;
}

QStringList DownConvertFormatSheet::recentTitles() const
{
    if (!g_productSettings)
        return {};
    QStringList titles;
    for (const QVariant &v : g_productSettings->arrayValueForKey(RecentKey))
        if (v.typeId() == QMetaType::QString)
            titles << v.toString();
    return titles;
}

void DownConvertFormatSheet::storeRecentTitles(const QStringList &titles) const
{
    if (!g_productSettings)
        return;
    g_productSettings->setArrayValue(QVariant(titles), RecentKey);
    g_productSettings->syncPreferences();
}

void DownConvertFormatSheet::prepareForShowing()
{
    m_resultCode = 0;
    m_finished = false;
    fillCategories();
    const QList<int> recent = formatIDsOfCategory(RecentCategoryID);
    if (!recent.isEmpty() && m_categoryList->count() > 0
        && m_categoryList->item(0)->data(CategoryIDRole).toInt() == RecentCategoryID) {
        selectFormatID(recent.first(), RecentCategoryID);
    } else {
        const QList<int> first = formatIDsOfCategory(FirstCategoryID);
        if (!first.isEmpty())
            selectFormatID(first.first(), FirstCategoryID);
        else if (m_categoryList->count() > 0)
            m_categoryList->setCurrentRow(0);
    }
    m_chkBtnOpenFolder->setState(0);
    UserDefaults &defaults = UserDefaults::standard();
    if (m_chkBtnIniTunes->isEnabled())
        m_chkBtnIniTunes->setState(defaults.boolForKey(QStringLiteral("isExportToItunes")) ? 1 : 0);
    m_chkBtnMergeSubtitle->setState(defaults.boolForKey(QStringLiteral("isMergeSubtitle")) ? 1 : 0);
    m_btnOK->setEnabled(m_formatID >= 0);
}

void DownConvertFormatSheet::showSheet(QWidget *parent)
{
    if (parent) {
        setParent(parent->window(), windowFlags() | Qt::Sheet);
        setWindowModality(Qt::WindowModal);
    }
    prepareForShowing();
    if (s_runHook)
        s_runHook(this);
    if (m_finished)
        return;
    exec();
}

void DownConvertFormatSheet::itemSelectedChange(int formatID)
{
    const auto preset = m_catalogue ? m_catalogue->formatItemForID(std::abs(formatID)) : nullptr;
    if (!preset)
        return;
    fillBlockForPreset(*preset, &m_encodeParam);
    m_formatID = preset->iD();
    m_strFormatTitle = preset->title();
    if (preset->canToITunes()) {
        m_chkBtnIniTunes->setEnabled(true);
        m_chkBtnIniTunes->setState(UserDefaults::standard().boolForKey(QStringLiteral("isExportToItunes")) ? 1 : 0);
    } else {
        m_chkBtnIniTunes->setState(0);
        m_chkBtnIniTunes->setEnabled(false);
    }
    m_btnOK->setEnabled(true);
}

QVariantMap DownConvertFormatSheet::getConvertParam() const
{
    return convertParam(m_strFormatTitle, m_formatID, m_encodeParam, m_chkBtnIniTunes->state() != 0,
                        m_chkBtnOpenFolder->state() != 0, m_chkBtnMergeSubtitle->state() != 0);
}

void DownConvertFormatSheet::clickDone()
{
    if (m_finished || m_formatID < 0)
        return;
    g_bCustomVideoBitrate = false;
    g_bCustomAudioBitrate = false;
    storeRecentTitles(recentListAfterChoosing(recentTitles(), m_strFormatTitle));
    const QVariantMap param = getConvertParam();
    UserDefaults &defaults = UserDefaults::standard();
    if (m_chkBtnIniTunes->isEnabled())
        defaults.setBool(QStringLiteral("isExportToItunes"), m_chkBtnIniTunes->state() != 0);
    defaults.synchronize();
    m_resultCode = 1;
    finish(1);
    if (m_delegate)
        m_delegate(1, param);
}

void DownConvertFormatSheet::cancelButtonClick()
{
    if (m_finished)
        return;
    g_bCustomVideoBitrate = false;
    g_bCustomAudioBitrate = false;
    m_resultCode = 0;
    finish(0);
    if (m_delegate)
        m_delegate(0, QVariantMap());
}

void DownConvertFormatSheet::finish(int code)
{
    m_finished = true;
    if (isVisible())
        done(code);
    else
        setResult(code);
}

void DownConvertFormatSheet::reject()
{
    // Escape and the window's close button are a Cancel: the delegate always hears the end.
    cancelButtonClick();
}
