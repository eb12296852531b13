#include "downloads/DownloadedItemViewCtrl.h"

#include "controls/FNClickTextField.h"
#include "controls/MGHoverButton.h"
#include "controls/MGProgressIndicator.h"
#include "controls/ControlGeometry.h"
#include "controls/ControlSlices.h"
#include "controls/MTImageView.h"
#include "controls/TableGeometry.h"
#include "downloads/ConvertJob.h"
#include "downloads/ListRowView.h"
#include "controls/slices/SlicesManager.h"
#include "platform/Dispatch.h"
#include "platform/MainBundle.h"
#include "platform/NotificationCenter.h"
#include "platform/NotificationNames.h"
#include "platform/SafeFileReader.h"
#include "shell/CommonFun.h"
#include "shell/CommonFunDesktop.h"
#include "shell/GolobFun.h"
#include "shell/UIManager.h"

#include <QFileInfo>
#include <QIcon>
#include <QFile>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QTextDocument>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace {

const QColor ResultGrey = QColor::fromRgbF(0.604f, 0.604f, 0.604f);
const QColor FailureRed(220, 50, 47);
const QColor BadgeGreen = QColor::fromRgbF(0.125f, 0.753f, 0.357f);
const QColor ExpandedBlue(52, 152, 219);

constexpr int TextX = 172;
constexpr int ButtonSize = 28;
constexpr int ButtonSlot = 40;
constexpr int RightMargin = 24;

QString tr1(const char *english) { return MainBundle::localizedString(english); }

QString themeOf(int first) // "mainform-N,...,N+3" for the four states
{
    return QStringLiteral("mainform-%1,mainform-%2,mainform-%3,mainform-%4")
        .arg(first)
        .arg(first + 1)
        .arg(first + 2)
        .arg(first + 3);
}

bool isLibraryType(quint32 type) { return type == DownloadedItemViewCtrl::Library || type == DownloadedItemViewCtrl::LibraryAlike; }

// A small round mark: green with a tick for a file that is there, grey with a cross for one
// that is gone.
QImage fileStateIcon(bool present)
{
    QImage image(32, 32, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    p.setBrush(present ? BadgeGreen : QColor(190, 196, 202));
    p.drawEllipse(QRectF(1, 1, 14, 14));
    p.setPen(QPen(Qt::white, 1.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    if (present) {
        p.drawLine(QPointF(4.5, 8.2), QPointF(7, 10.6));
        p.drawLine(QPointF(7, 10.6), QPointF(11.5, 5.6));
    } else {
        p.drawLine(QPointF(5.5, 5.5), QPointF(10.5, 10.5));
        p.drawLine(QPointF(10.5, 5.5), QPointF(5.5, 10.5));
    }
    return image;
}

QImage namedOrDrawn(const QString &name, bool present)
{
    const QString path = MainBundle::pathForResource(name, QStringLiteral("png"));
    QImage image;
    if (!path.isEmpty())
        image.load(path);
    return image.isNull() ? fileStateIcon(present) : image;
}

// A thumbnail file, decoded no larger than a few times the thumbnail: a huge or hostile picture
// never becomes a huge allocation.
QImage loadThumbnailFile(const QString &path)
{
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return QImage();
    QFile file(path);
    if (!SafeFileReader::open(file))
        return QImage();
    QImageReader reader(&file);
    const QSize size = reader.size();
    if (!size.isValid() || size.isEmpty())
        return QImage();
    const QSize cap(504, 280);
    if (size.width() > cap.width() || size.height() > cap.height())
        reader.setScaledSize(size.scaled(cap, Qt::KeepAspectRatioByExpanding));
    else if (qint64(size.width()) * size.height() > CommonFunDesktop::MaxImagePixels)
        return QImage();
    return reader.read();
}

// A play mark over the thumbnail.
QImage playImage()
{
    QImage image(64, 64, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(2);
    image.fill(Qt::transparent);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(255, 255, 255, 230), 1.5));
    p.setBrush(QColor(0, 0, 0, 110));
    p.drawEllipse(QRectF(1, 1, 30, 30));
    QPainterPath tri;
    tri.moveTo(13, 9.5);
    tri.lineTo(22.5, 16);
    tri.lineTo(13, 22.5);
    tri.closeSubpath();
    p.setPen(Qt::NoPen);
    p.fillPath(tri, Qt::white);
    return image;
}

// The thumbnail drawn to the view's own size: members of a play list get a smaller one than
// the 126 x 70 of a plain row, with its rounded corners and child mark intact.
class RowThumbnailView : public MTImageView
{
public:
    using MTImageView::MTImageView;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        const QImage drawn = image();
        if (!drawn.isNull())
            p.drawImage(QRectF(rect()), drawn);
        if (isChildrenNode()) {
            const QImage mark = SlicesManager::defaultManager().sliceNamed(
                QStringLiteral("mainform-134"), QStringLiteral("mainform"), p.device()->devicePixelRatioF());
            if (!mark.isNull())
                p.drawImage(ControlGeometry::toQt(TableGeometry::childMarkRect(QSizeF(size()), ControlSlices::pointSize(mark)),
                                                  height()),
                            mark);
        }
    }
};

// The play mark over the thumbnail, drawn whole in place of slices.
class PlayButton : public MGHoverButton
{
public:
    using MGHoverButton::MGHoverButton;

protected:
    void paintEvent(QPaintEvent *) override
    {
        static const QImage mark = playImage();
        QPainter p(this);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setOpacity(isDown() ? 0.8 : 1.0);
        p.drawImage(QRectF(rect()), mark);
    }
};

// Expanded: white arrow down on blue; collapsed: grey arrow right on nothing.
void setDisclosureLook(MGHoverButton *button, bool extended)
{
    button->setTitle(extended ? QStringLiteral("\u25BC") : QStringLiteral("\u25B6"));
    button->setTextColor(extended ? QColor(Qt::white) : QColor(0x5F, 0x6B, 0x7A));
    button->setBgColor(extended ? std::optional<QColor>(ExpandedBlue) : std::nullopt);
    button->update();
}

// Play lists are animated while their jobs run: a ring of dots turning.
class BusyLabel : public QLabel
{
public:
    using QLabel::QLabel;

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QPointF c = QRectF(rect()).center();
        const qreal r = std::min(width(), height()) / 2.0 - 2;
        for (int i = 0; i < 8; ++i) {
            const qreal a = i * M_PI / 4;
            QColor dot = BadgeGreen;
            dot.setAlphaF(0.25 + 0.75 * i / 7.0);
            p.setPen(Qt::NoPen);
            p.setBrush(dot);
            p.drawEllipse(c + QPointF(std::cos(a) * r, std::sin(a) * r), 1.6, 1.6);
        }
    }
};

} // namespace

DownloadedItemViewCtrl::DownloadedItemViewCtrl(const DownloadNode::Ptr &node)
    : m_downloadNode(node)
{
}

DownloadedItemViewCtrl::~DownloadedItemViewCtrl()
{
    // The shared bar outlives the rows: it must neither call this row again nor go down with
    // this row's view.
    if (dispatch::isMainThread()) {
        removeActionView();
        if (m_view)
            delete m_view.data();
        return;
    }
    // The last owner let go on another thread (an item callback in flight): the widgets are
    // only touched on the main thread.
    if (m_actionCtrl && m_actionCtrl->delegate() == this)
        m_actionCtrl->setDelegate(nullptr);
    dispatch::async_main([view = m_view, action = m_actionCtrl, home = m_actionHome] {
        if (action && view && action->parentWidget() == view) {
            action->hide();
            action->setParent(home);
        }
        if (view)
            delete view.data();
    });
}

std::shared_ptr<DownloadedItemViewCtrl> DownloadedItemViewCtrl::create(const DownloadNode::Ptr &node,
                                                                      DownloadedItemViewCtrlDelegate *delegate,
                                                                      quint32 displayType)
{
    auto row = std::make_shared<DownloadedItemViewCtrl>(node);
    row->setDelegate(delegate);
    row->setDisplayType(displayType);
    if (node) {
        node->setDownloadViewCtrl(row);
        if (const auto item = node->downloadItem())
            item->addDelegate(row);
    }
    return row;
}

std::shared_ptr<DownloadedItem> DownloadedItemViewCtrl::item() const
{
    const DownloadNode::Ptr node = m_downloadNode.lock();
    return node ? node->downloadItem() : nullptr;
}

QWidget *DownloadedItemViewCtrl::view()
{
    if (!m_view)
        loadView();
    return m_view;
}

int DownloadedItemViewCtrl::rowHeight() const
{
    const DownloadNode::Ptr node = m_downloadNode.lock();
    const bool header = m_isDisplayParentNode || (node && node->isPlaylistNode() && node->parentNode());
    return header ? PlaylistRowHeight : RowHeight;
}

bool DownloadedItemViewCtrl::isDisplayTaskView(quint32 taskStatus)
{
    return taskStatus == DownloadedItem::TaskWaiting || taskStatus == DownloadedItem::TaskRunning
        || taskStatus == DownloadedItem::TaskPaused;
}

// View -----------------------------------------------------------------------------------------

void DownloadedItemViewCtrl::loadView()
{
    auto *row = new ListRowView;
    m_view = row;
    m_contenView = row;
    row->setObjectName(QStringLiteral("DownloadedItemViewCtrl"));
    row->resize(900, RowHeight);
    row->setOnResize([this] { layoutRow(); });

    QFont small = row->font();
    small.setPixelSize(12);
    QFont titleFont = row->font();
    titleFont.setPixelSize(14);

    m_picture = new RowThumbnailView(row);
    m_picture->addTrackingArea();
    connect(m_picture, &MTImageView::mtImageViewMouseEntered, this, &DownloadedItemViewCtrl::mtImageViewMouseEntered);
    connect(m_picture, &MTImageView::mtImageViewMouseExited, this, &DownloadedItemViewCtrl::mtImageViewMouseExited);
    m_playButton = new PlayButton(m_picture);
    m_playButton->setObjectName(QStringLiteral("playButton"));
    m_playButton->resize(32, 32);
    m_playButton->setToolTip(tr1("Play"));
    m_playButton->hide();
    connect(m_playButton, &QAbstractButton::clicked, this, &DownloadedItemViewCtrl::playVideo);

    m_localFileExistsBtn = new QLabel(row);
    m_localFileExistsBtn->setScaledContents(true);
    m_titleTxtField = new QLineEdit(row);
    m_titleTxtField->setObjectName(QStringLiteral("titleTxtField"));
    m_titleTxtField->setFont(titleFont);
    m_titleTxtField->setFrame(false);
    m_titleTxtField->setReadOnly(true);
    m_titleTxtField->setFocusPolicy(Qt::NoFocus);
    m_titleTxtField->setStyleSheet(QStringLiteral("QLineEdit{color:#222;background:transparent;border:none;}"));
    m_titleTxtField->installEventFilter(this);
    connect(m_titleTxtField, &QLineEdit::editingFinished, this, [this] { endTitleEditing(true); });

    m_deleteButton = new MGHoverButton(row);
    UIManager::setupHoverButtonThemeInMain(m_deleteButton, themeOf(577));
    m_deleteButton->setToolTip(tr1("Delete"));
    m_deleteButton->resize(ButtonSize, ButtonSize);
    m_deleteButton->hide(); // deleting goes through the action bar and the menus
    connect(m_deleteButton, &QAbstractButton::clicked, this, &DownloadedItemViewCtrl::deleteItem);

    // Play-list strip.
    m_playlistbox = new QWidget(row);
    m_playlistbox->setObjectName(QStringLiteral("playlistbox"));
    m_playlistbox->hide();
    m_disclosureButton = new MGHoverButton(m_playlistbox);
    m_disclosureButton->setObjectName(QStringLiteral("disclosureButton"));
    m_disclosureButton->resize(20, 20);
    QFont arrow = m_disclosureButton->font();
    arrow.setPixelSize(10);
    m_disclosureButton->setFont(arrow);
    connect(m_disclosureButton, &QAbstractButton::clicked, this, &DownloadedItemViewCtrl::clickDisclosure);
    m_playlistNameTxtField = new FNClickTextField(m_playlistbox);
    QFont bold = titleFont;
    bold.setBold(true);
    m_playlistNameTxtField->setFont(bold);
    m_playlistNameTxtField->setStyleSheet(QStringLiteral("color:#222;"));
    m_playlistNameTxtField->setCursor(Qt::PointingHandCursor);
    m_playlistNameTxtField->setClickTarget(this, "clickDisclosure");
    m_playlistCountLable = new QLabel(m_playlistbox);
    m_playlistCountLable->setAlignment(Qt::AlignCenter);
    m_playlistCountLable->setStyleSheet(
        QStringLiteral("background:%1;color:white;border-radius:8px;font-size:10px;").arg(BadgeGreen.name()));
    m_playlistCountLable->hide();
    m_animationView = new BusyLabel(m_playlistbox);
    m_animationView->resize(16, 16);
    m_animationView->hide();
    m_taskInfoField = new QLabel(m_playlistbox);
    m_taskInfoField->setFont(small);
    m_taskInfoField->setTextFormat(Qt::RichText);
    m_taskInfoField->hide();

    // Information face.
    m_videoInformationView = new QWidget(row);
    m_videoInformationView->setObjectName(QStringLiteral("videoInformationView"));
    auto infoLabel = [&](QWidget *parent) {
        auto *l = new QLabel(parent);
        l->setFont(small);
        l->setStyleSheet(QStringLiteral("color:#7D858C;"));
        return l;
    };
    auto icon = [&](QWidget *parent) {
        auto *l = new QLabel(parent);
        l->setFixedSize(14, 14);
        l->setScaledContents(true);
        return l;
    };
    m_timeView = icon(m_videoInformationView);
    m_lblTime = infoLabel(m_videoInformationView);
    m_sizeView = icon(m_videoInformationView);
    m_lblSize = infoLabel(m_videoInformationView);
    m_fileTypeView = icon(m_videoInformationView);
    m_lblFiletype = infoLabel(m_videoInformationView);
    m_resolutionView = icon(m_videoInformationView);
    m_lblResolution = infoLabel(m_videoInformationView);
    m_imageTaskResult = icon(m_videoInformationView);
    m_lblTaskResult = infoLabel(m_videoInformationView);
    m_imageTaskResult->hide();
    m_lblTaskResult->hide();
    auto *convertButton = new ConverterButton(row);
    convertButton->setDelegate(this);
    m_satrtTaskButton = convertButton;
    m_satrtTaskButton->setObjectName(QStringLiteral("satrtTaskButton"));
    m_satrtTaskButton->resize(ButtonSize, ButtonSize);
    m_satrtTaskButton->hide();
    connect(m_satrtTaskButton, &QAbstractButton::clicked, this, [this] {
        if (m_displayType == Transfer)
            startTransfer();
        else
            startConverter();
    });

    // Task face.
    m_converterView = new QWidget(row);
    m_converterView->setObjectName(QStringLiteral("converterView"));
    m_converterView->hide();
    m_lblStatus = new QLabel(m_converterView);
    m_lblStatus->setFont(small);
    m_lblStatus->setStyleSheet(QStringLiteral("color:#9A9A9A;"));
    m_lbl2Status = new QLabel(m_converterView);
    m_lbl2Status->setFont(small);
    m_lbl2Status->setStyleSheet(QStringLiteral("color:#9A9A9A;"));
    m_progress = new MGProgressIndicator(m_converterView);
    m_progress->setMinValue(0);
    m_progress->setMaxValue(100);
    m_lblPercent = new QLabel(m_converterView);
    m_lblPercent->setFont(small);
    m_lblPercent->setStyleSheet(QStringLiteral("color:#9A9A9A;"));
    m_lblPercent->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_pauseButton = new MGHoverButton(row);
    m_pauseButton->setObjectName(QStringLiteral("pauseButton"));
    m_pauseButton->resize(ButtonSize, ButtonSize);
    m_pauseButton->hide();
    connect(m_pauseButton, &QAbstractButton::clicked, this, [this] {
        if (m_pauseButtonPausing)
            pauseConverter();
        else
            resumeConverter();
    });
    m_cancelButton = new MGHoverButton(row);
    m_cancelButton->setObjectName(QStringLiteral("cancelButton"));
    UIManager::setupHoverButtonThemeInMain(m_cancelButton, themeOf(745));
    m_cancelButton->setToolTip(tr1("Cancel"));
    m_cancelButton->resize(ButtonSize, ButtonSize);
    m_cancelButton->hide();
    connect(m_cancelButton, &QAbstractButton::clicked, this, &DownloadedItemViewCtrl::delConverter);

    // A new view starts on the information face with its icons, the pause look and the type.
    setInfomationPicture();
    m_isDefautThum = true;
    m_taskFaceShown = false;
    setPauseButtonPausing(m_pauseButtonPausing);
    refreshWithDisplayType();
    setSelected(m_selected);
    if (const auto shown = item()) {
        resetThumbnailFrame();
        displayViewCtroller(shown);
    } else {
        layoutRow();
    }
}

void DownloadedItemViewCtrl::setInfomationPicture()
{
    if (!m_view)
        return;
    m_timeView->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-279"))));
    m_sizeView->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-281"))));
    m_fileTypeView->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-283"))));
    m_resolutionView->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-285"))));
}

void DownloadedItemViewCtrl::setLocalFileExistsPicture()
{
    m_fileMissingShown = false;
    if (m_view)
        m_localFileExistsBtn->setPixmap(QPixmap::fromImage(namedOrDrawn(QStringLiteral("smallList_icon_able"), true)));
}

void DownloadedItemViewCtrl::setLocalFileUnExistsPicture()
{
    m_fileMissingShown = true;
    if (m_view) {
        m_localFileExistsBtn->setPixmap(QPixmap::fromImage(namedOrDrawn(QStringLiteral("smallList_icon_disable"), false)));
        m_localFileExistsBtn->setToolTip(tr1("The file does not exist."));
    }
}

void DownloadedItemViewCtrl::setVideoSource()
{
    setLocalFileExistsPicture();
}

void DownloadedItemViewCtrl::setThumbnail(const QImage &image)
{
    if (!m_view)
        return;
    m_picture->setImage(image);
    m_isDefautThum = false;
}

QImage DownloadedItemViewCtrl::thumbnailImage() const
{
    return m_picture ? m_picture->image() : QImage();
}

void DownloadedItemViewCtrl::fileThumbnailChanged(const std::shared_ptr<DownloadedItem> &shown)
{
    if (!m_view || !shown)
        return;
    const QImage image = loadThumbnailFile(shown->thumbnailPath());
    if (image.isNull())
        return;
    m_picture->setImage(image);
    m_isDefautThum = false;
}

void DownloadedItemViewCtrl::setSelected(bool selected)
{
    m_selected = selected;
    if (auto *row = dynamic_cast<ListRowView *>(m_view.data()))
        row->setSelected(selected);
}

// Display type and faces ----------------------------------------------------------------------

void DownloadedItemViewCtrl::setDisplayType(quint32 type)
{
    m_displayType = type;
    refreshWithDisplayType();
    if (m_view)
        if (const auto shown = item())
            displayViewCtroller(shown);
}

void DownloadedItemViewCtrl::setIsTaskNeedCancle(bool offered)
{
    m_isTaskNeedCancle = offered;
    refreshWithDisplayType();
    if (m_view)
        if (const auto shown = item())
            displayViewCtroller(shown);
}

void DownloadedItemViewCtrl::refreshWithDisplayType()
{
    if (!m_view)
        return;
    switch (m_displayType) {
    case Library:
    case LibraryAlike:
        UIManager::setupHoverButtonThemeInMain(m_satrtTaskButton, themeOf(745));
        m_satrtTaskButton->hide();
        m_pauseButton->hide();
        m_cancelButton->show();
        break;
    case Converter:
        UIManager::setupHoverButtonThemeInMain(
            m_satrtTaskButton, QStringLiteral("mainform-712,mainform-714,mainform-716,mainform-718"));
        m_satrtTaskButton->setToolTip(tr1("Convert"));
        m_satrtTaskButton->show();
        m_pauseButton->show();
        m_cancelButton->hide();
        break;
    case Transfer:
        UIManager::setupHoverButtonThemeInMain(m_satrtTaskButton, themeOf(728));
        m_satrtTaskButton->setToolTip(tr1("Transfer"));
        m_satrtTaskButton->show();
        m_pauseButton->hide();
        m_cancelButton->setVisible(m_isTaskNeedCancle);
        break;
    default:
        break;
    }
    // The task buttons belong to the task face.
    if (!m_taskFaceShown) {
        m_pauseButton->hide();
        m_cancelButton->hide();
    } else {
        m_satrtTaskButton->hide();
    }
    layoutRow();
}

void DownloadedItemViewCtrl::displayViewCtroller(const std::shared_ptr<DownloadedItem> &shown)
{
    if (!m_view || !shown)
        return;
    const DownloadNode::Ptr node = m_downloadNode.lock();
    const bool header = node && node->isPlaylistNode() && node->parentNode();
    if (header)
        displayWithPlaylistNode();
    else if (m_isDisplayParentNode)
        displayViewNormalNode();
    resetThumbnailFrame();
    changeView(shown);
    layoutRow();
}

void DownloadedItemViewCtrl::changeView(const std::shared_ptr<DownloadedItem> &shown)
{
    const bool task = isDisplayTaskView(shown->taskStatus());
    m_showPlayButton = !task;
    if (task && m_playButton)
        m_playButton->hide();
    showTaskFace(task);
    // The title and thumbnail are on both faces.
    displayDownloadedView(shown);
    if (task)
        displayTaskRuningView(shown);
    setActionMode(actionModeForItem(shown));
}

void DownloadedItemViewCtrl::showTaskFace(bool task)
{
    m_taskFaceShown = task;
    if (!m_view)
        return;
    m_videoInformationView->setVisible(!task);
    m_converterView->setVisible(task);
    refreshWithDisplayType();
}

bool DownloadedItemViewCtrl::isShowingTaskFace() const
{
    return m_taskFaceShown;
}

void DownloadedItemViewCtrl::displayDownloadedView(const std::shared_ptr<DownloadedItem> &shown)
{
    // 1. Values.
    if (!m_titleEditing) {
        m_titleTxtField->setText(shown->fileName());
        m_titleTxtField->setCursorPosition(0);
    }
    m_titleTxtField->setToolTip(shown->filePath());
    m_lblTime->setText(shown->timeString());
    m_lblSize->setText(GolobFun::convertSizeToString(shown->videoSize()));
    m_lblFiletype->setText(shown->fileSuffix().toUpper());
    const bool hasResolution = shown->resolution() > 0;
    m_lblResolution->setText(hasResolution ? QString::number(shown->resolution()) + tr1("p") : QString());
    m_lblResolution->setVisible(hasResolution);
    m_resolutionView->setVisible(hasResolution);

    // 2. Thumbnail.
    if (CommonFun::isAudiofile(shown->fileSuffix().toLower())) {
        m_picture->setImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-663")));
    } else {
        if (m_isDefautThum) {
            const QImage image = loadThumbnailFile(shown->thumbnailPath());
            if (!image.isNull()) {
                m_picture->setImage(image);
                m_isDefautThum = false;
            }
        }
        if (m_picture->image().isNull()) {
            m_picture->setImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-595")));
            m_isDefautThum = true;
        }
    }

    // 3. File present or missing.
    const bool exists = !shown->filePath().isEmpty() && QFileInfo::exists(shown->filePath());
    if (exists)
        setLocalFileExistsPicture();
    else
        setLocalFileUnExistsPicture();

    // 4. Result of the last job, and whether the job can be started from here.
    const quint32 status = shown->taskStatus();
    bool start = false;
    if (m_displayType == Converter || m_displayType == Transfer)
        start = true;
    if (status == DownloadedItem::TaskFinished) {
        m_imageTaskResult->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-461"))));
        m_lblTaskResult->setStyleSheet(QStringLiteral("color:%1;").arg(ResultGrey.name()));
        if (m_displayType == Transfer) {
            m_lblTaskResult->setText(tr1("Transfer successfully"));
        } else {
            m_lblTaskResult->setText(tr1("Converter successfully"));
            if (m_displayType == Converter && !shown->covertedFilePath().isEmpty())
                m_lblFiletype->setText(QFileInfo(shown->covertedFilePath()).suffix().toUpper());
        }
        m_lblTaskResult->show();
        m_imageTaskResult->show();
        start = false;
    } else if (status == DownloadedItem::TaskFailed) {
        m_imageTaskResult->setPixmap(QPixmap::fromImage(UIManager::sliceNamedInMain(QStringLiteral("mainform-462"))));
        m_lblTaskResult->setStyleSheet(QStringLiteral("color:%1;").arg(FailureRed.name()));
        m_lblTaskResult->setText(m_displayType == Transfer ? tr1("Failed to transfer file.") : tr1("Convert Failed"));
        // A transfer says why it failed, when it knows.
        if (m_displayType == Transfer && !shown->taskFinishStr().isEmpty())
            m_lblTaskResult->setText(m_lblTaskResult->text() + QLatin1Char(' ') + shown->taskFinishStr());
        m_lblTaskResult->show();
        m_imageTaskResult->show();
        start = m_displayType == Converter;
    } else {
        m_lblTaskResult->hide();
        m_imageTaskResult->hide();
        m_lblTaskResult->clear();
        if (isLibraryType(m_displayType))
            start = m_startRequested;
    }
    // A job can never start on a file that is gone.
    if (!exists)
        start = false;
    m_satrtTaskButton->setVisible(start && !m_taskFaceShown);
}

void DownloadedItemViewCtrl::displayTaskRuningView(const std::shared_ptr<DownloadedItem> &shown)
{
    const quint32 status = shown->taskStatus();
    m_pauseButton->setVisible(m_displayType == Converter);
    if (status == DownloadedItem::TaskNone || status == DownloadedItem::TaskWaiting) {
        m_lblPercent->setText(QStringLiteral("0%"));
        m_progress->setDoubleValue(0);
        m_lblStatus->setText(m_displayType == Transfer ? tr1("Waiting for transfer...") : tr1("Waiting for convert..."));
        if (isLibraryType(m_displayType))
            m_cancelButton->show();
        else if (m_displayType == Transfer)
            m_cancelButton->setVisible(m_isTaskNeedCancle);
    } else {
        const int percent = std::clamp(shown->percent(), 0, 100);
        m_lblPercent->setText(QString::asprintf("%d%%", percent));
        m_progress->setDoubleValue(percent);
        m_lblStatus->setText(shown->taskStateStr());
        if (isLibraryType(m_displayType))
            m_cancelButton->show();
        else if (m_displayType == Transfer)
            m_cancelButton->hide();
        if (status == DownloadedItem::TaskPaused)
            m_lblStatus->setText(tr1("Paused"));
    }
    // A paused job offers resume, any other offers pause.
    setPauseButtonPausing(status != DownloadedItem::TaskPaused);
    const QString second = shown->task2StateStr();
    m_lbl2Status->setText(second.size() >= 2 ? second : QString());
    layoutRow();
}

void DownloadedItemViewCtrl::taskProgressChanged(const std::shared_ptr<DownloadedItem> &shown)
{
    if (!m_view || !shown)
        return;
    const int percent = std::clamp(shown->percent(), 0, 100);
    m_lblPercent->setText(QString::asprintf("%d%%", percent));
    if (!shown->taskStateStr().isEmpty())
        m_lblStatus->setText(shown->taskStateStr());
    m_progress->setDoubleValue(percent);
    if (m_displayType == Transfer)
        m_pauseButton->hide();
}

void DownloadedItemViewCtrl::updateProgress(const std::shared_ptr<DownloadedItem> &shown)
{
    if (!m_view || !shown)
        return;
    taskProgressChanged(shown);
    if (shown->taskStateStr().isEmpty())
        m_lblStatus->setText(tr1("Waiting for convert..."));
}

void DownloadedItemViewCtrl::setPauseButtonPausing(bool pausing)
{
    m_pauseButtonPausing = pausing;
    if (!m_pauseButton)
        return;
    if (pausing) {
        UIManager::setupHoverButtonThemeInMain(m_pauseButton, themeOf(761));
        m_pauseButton->setToolTip(tr1("Pause"));
    } else {
        UIManager::setupHoverButtonThemeInMain(m_pauseButton, themeOf(769));
        m_pauseButton->setToolTip(tr1("Resume"));
    }
    m_pauseButton->update();
}

// Play-list header ----------------------------------------------------------------------------

bool DownloadedItemViewCtrl::isCollapsedHeader() const
{
    const DownloadNode::Ptr node = m_downloadNode.lock();
    const DownloadNode::Ptr group = node ? node->parentNode() : nullptr;
    return m_isDisplayParentNode && group && !group->isExtend();
}

bool DownloadedItemViewCtrl::isChildLayout() const
{
    const DownloadNode::Ptr node = m_downloadNode.lock();
    if (!node || !node->parentNode())
        return false;
    return !isCollapsedHeader();
}

void DownloadedItemViewCtrl::resetThumbnailFrame()
{
    if (!m_view)
        return;
    const DownloadNode::Ptr node = m_downloadNode.lock();
    if (node && node->parentNode())
        m_playlistNameTxtField->setText(node->playlistName().isEmpty() ? node->parentNode()->playlistName()
                                                                        : node->playlistName());
    const int top = m_isDisplayParentNode ? PlaylistStripHeight : 0;
    if (isChildLayout()) {
        m_picture->setGeometry(44, top + 10, 110, 60);
        m_picture->setIsChildrenNode(true);
    } else {
        m_picture->setGeometry(28, top + 5, 126, 70);
        m_picture->setIsChildrenNode(false);
    }
    m_picture->update();
    resetActionView();
}

void DownloadedItemViewCtrl::displayWithPlaylistNode()
{
    m_isDisplayParentNode = true;
    if (!m_view)
        return;
    const DownloadNode::Ptr node = m_downloadNode.lock();
    const DownloadNode::Ptr group = node ? node->parentNode() : nullptr;
    m_playlistbox->show();
    setDisclosureLook(m_disclosureButton, group && group->isExtend());
    m_playlistCountLable->show();
    setPlaylistInfo();
    resetThumbnailFrame();
    layoutRow();
}

void DownloadedItemViewCtrl::displayViewNormalNode()
{
    m_isDisplayParentNode = false;
    if (!m_view)
        return;
    m_playlistbox->hide();
    resetThumbnailFrame();
    layoutRow();
}

void DownloadedItemViewCtrl::setPlaylistInfo()
{
    if (!m_view)
        return;
    const DownloadNode::Ptr node = m_downloadNode.lock();
    const DownloadNode::Ptr group = node ? node->parentNode() : nullptr;
    // The header is one of the displayed members whether or not the page keeps it in the
    // group's display list: every member counts once.
    QList<DownloadNode::Ptr> members;
    if (node)
        members << node;
    if (group)
        for (const DownloadNode::Ptr &member : group->displayNodeArray())
            if (member && !members.contains(member))
                members << member;
    int running = 0, failed = 0, other = 0;
    for (const DownloadNode::Ptr &member : std::as_const(members)) {
        const auto memberItem = member->downloadItem();
        const auto job = memberItem ? memberItem->converterItem() : nullptr;
        if (!job)
            continue;
        switch (job->taskStatus()) {
        case ConvertJob::Waiting:
        case ConvertJob::Converting:
            ++running;
            break;
        case ConvertJob::StoppedByFailure:
            ++failed;
            break;
        case ConvertJob::Paused:
        case ConvertJob::StoppedByUser:
            ++other;
            break;
        default:
            break;
        }
    }
    const int count = int(members.size());
    m_playlistCountLable->setText(QString::number(count));
    auto total = [](int n) {
        return tr1("Total: %dTasks").replace(QLatin1String("%d"), QString::number(n)).toHtmlEscaped();
    };
    const QString failedText =
        failed > 0 ? QStringLiteral("<span style=\"color:%1\">%2</span>")
                         .arg(FailureRed.name(),
                              tr1("Failed: %dTasks").replace(QLatin1String("%d"), QString::number(failed)).toHtmlEscaped())
                   : QString();
    QString text;
    if (running > 0 || other > 0) {
        text = total(running) + QStringLiteral("&nbsp;") + failedText;
        m_animationView->setVisible(running > 0);
    } else {
        text = total(count) + (failed > 0 ? QStringLiteral("&nbsp;&nbsp;") + failedText : QString());
        m_animationView->hide();
    }
    m_taskInfoField->setText(QStringLiteral("<span style=\"color:#9A9A9A\">%1</span>").arg(text));
    m_taskInfoField->setVisible(running > 0 || failed > 0);
    if (m_actionCtrl && isLibraryType(m_displayType) && !m_taskFaceShown && isCollapsedHeader())
        setActionMode(DownloadedActionViewCtrl::ModeDownloaded);
    layoutRow();
}

void DownloadedItemViewCtrl::clickDisclosure()
{
    const DownloadNode::Ptr node = m_downloadNode.lock();
    const DownloadNode::Ptr group = node ? node->parentNode() : nullptr;
    if (!group)
        return;
    group->setIsExtend(!group->isExtend());
    if (m_view)
        setDisclosureLook(m_disclosureButton, group->isExtend());
    resetThumbnailFrame();
    NotificationCenter::defaultCenter().post(NotificationNames::RefreshDownlodedDisplayData);
}

QString DownloadedItemViewCtrl::playlistNameText() const
{
    return m_playlistNameTxtField && m_isDisplayParentNode ? m_playlistNameTxtField->text() : QString();
}

QString DownloadedItemViewCtrl::playlistCountText() const
{
    return m_playlistCountLable && m_isDisplayParentNode ? m_playlistCountLable->text() : QString();
}

QString DownloadedItemViewCtrl::playlistSummaryText() const
{
    if (!m_taskInfoField || !m_isDisplayParentNode || m_taskInfoField->isHidden())
        return QString();
    QTextDocument doc;
    doc.setHtml(m_taskInfoField->text());
    return doc.toPlainText().replace(QChar::Nbsp, QLatin1Char(' ')).trimmed();
}

bool DownloadedItemViewCtrl::isPlaylistSummaryVisible() const
{
    return m_taskInfoField && m_isDisplayParentNode && !m_taskInfoField->isHidden();
}

bool DownloadedItemViewCtrl::isPlaylistAnimationVisible() const
{
    return m_animationView && m_isDisplayParentNode && !m_animationView->isHidden();
}

// Action bar ----------------------------------------------------------------------------------

DownloadedActionViewCtrl::DisplayMode
DownloadedItemViewCtrl::actionModeForItem(const std::shared_ptr<DownloadedItem> &shown) const
{
    if (!shown)
        return DownloadedActionViewCtrl::ModeOnlyDelete;
    if (isDisplayTaskView(shown->taskStatus()))
        return DownloadedActionViewCtrl::ModeConvertering;
    const bool exists = !shown->filePath().isEmpty() && QFileInfo::exists(shown->filePath());
    switch (m_displayType) {
    case Transfer:
        return exists ? DownloadedActionViewCtrl::ModeConverter : DownloadedActionViewCtrl::ModeOnlyDelete;
    case Converter:
        if (!exists)
            return DownloadedActionViewCtrl::ModeOnlyDelete;
        return shown->taskStatus() == DownloadedItem::TaskFinished ? DownloadedActionViewCtrl::ModeConverterFinish
                                                                   : DownloadedActionViewCtrl::ModeConverter;
    case Library:
    case LibraryAlike:
        // A collapsed header stands for its whole play list.
        if (isCollapsedHeader())
            return DownloadedActionViewCtrl::ModeDownloaded;
        return exists && shown->taskStatus() != DownloadedItem::TaskFailed ? DownloadedActionViewCtrl::ModeDownloaded
                                                                           : DownloadedActionViewCtrl::ModeOnlyDelete;
    default:
        return DownloadedActionViewCtrl::ModeOnlyDelete;
    }
}

void DownloadedItemViewCtrl::setActionMode(DownloadedActionViewCtrl::DisplayMode mode)
{
    if (!m_actionCtrl)
        return;
    switch (mode) {
    case DownloadedActionViewCtrl::ModeDownloaded:
        m_actionCtrl->displayWithDownloaed();
        break;
    case DownloadedActionViewCtrl::ModeOnlyDelete:
        m_actionCtrl->displayWithOnlyDelete();
        break;
    case DownloadedActionViewCtrl::ModeConverter:
        m_actionCtrl->displayWithConverter();
        break;
    case DownloadedActionViewCtrl::ModeConverterFinish:
        m_actionCtrl->displayWithConverterFinish();
        break;
    case DownloadedActionViewCtrl::ModeConvertering:
        m_actionCtrl->displayWithConvertering();
        break;
    case DownloadedActionViewCtrl::ModeNone:
        break;
    }
}

void DownloadedItemViewCtrl::addActionView(DownloadedActionViewCtrl *action)
{
    if (m_actionCtrl && m_actionCtrl != action)
        removeActionView();
    m_actionCtrl = action;
    if (!action)
        return;
    action->setDelegate(this);
    if (!m_view)
        loadView();
    if (action->parentWidget() != m_view) {
        m_actionHome = action->parentWidget();
        action->setParent(m_view);
    }
    resetActionView();
    setActionMode(actionModeForItem(item()));
    action->show();
    action->raise();
}

void DownloadedItemViewCtrl::resetActionView()
{
    if (!m_actionCtrl || !m_view || m_actionCtrl->parentWidget() != m_view)
        return;
    const int w = m_view->width();
    if (isCollapsedHeader())
        m_actionCtrl->setGeometry(w - DownloadedActionViewCtrl::Width, 0, DownloadedActionViewCtrl::Width,
                                  DownloadedActionViewCtrl::CollapsedHeaderHeight);
    else
        m_actionCtrl->setGeometry(w - DownloadedActionViewCtrl::Width, m_isDisplayParentNode ? PlaylistStripHeight : 0,
                                  DownloadedActionViewCtrl::Width, DownloadedActionViewCtrl::Height);
    m_actionCtrl->raise();
}

void DownloadedItemViewCtrl::removeActionView()
{
    if (!m_actionCtrl)
        return;
    DownloadedActionViewCtrl *action = m_actionCtrl;
    m_actionCtrl = nullptr;
    if (action->delegate() == this)
        action->setDelegate(nullptr);
    // Back to the widget that held it before (the list's), so its owner keeps owning it.
    if (m_view && action->parentWidget() == m_view) {
        action->hide();
        action->setParent(m_actionHome);
    }
    m_actionHome = nullptr;
}

void DownloadedItemViewCtrl::downloadedActionChangedWithType(int type)
{
    switch (type) {
    case DownloadedActionViewCtrl::Delete:
        deleteItem();
        break;
    case DownloadedActionViewCtrl::Convert:
        addToConverter();
        break;
    case DownloadedActionViewCtrl::Transfer:
        addToTransfer();
        break;
    default:
        break;
    }
}

QRect DownloadedItemViewCtrl::getAminStartFrame() const
{
    if (!m_view)
        return QRect();
    const int w = m_view->width(), h = m_view->height();
    const QPoint inRow(w - 210, (h - 50) / 2);
    const QPoint inWindow = m_view->mapTo(m_view->window(), inRow);
    return QRect(inWindow, QSize(40, 40));
}

// Actions -------------------------------------------------------------------------------------

void DownloadedItemViewCtrl::deleteItem()
{
    if (m_delegate)
        m_delegate->downloadedItemWillDelete(m_downloadNode.lock());
}

void DownloadedItemViewCtrl::addToConverter()
{
    if (m_delegate)
        m_delegate->downloadedItemAddToConverter(m_downloadNode.lock());
}

void DownloadedItemViewCtrl::addToTransfer()
{
    if (m_delegate)
        m_delegate->downloadedItemAddToTransfer(m_downloadNode.lock());
}

void DownloadedItemViewCtrl::startConverter()
{
    if (!isLibraryType(m_displayType)) {
        if (m_delegate)
            m_delegate->downloadedItemStartConverter(m_downloadNode.lock());
        setActionMode(DownloadedActionViewCtrl::ModeConverter);
        return;
    }
    const auto shown = item();
    if (shown)
        shown->setTaskStatus(DownloadedItem::TaskNone);
    m_startRequested = true;
    setActionMode(DownloadedActionViewCtrl::ModeConverter);
    if (m_view && shown)
        displayDownloadedView(shown);
}

void DownloadedItemViewCtrl::startTransfer()
{
    if (m_delegate)
        m_delegate->downloadedItemStartTransfer(m_downloadNode.lock());
    setActionMode(DownloadedActionViewCtrl::ModeConverter);
}

void DownloadedItemViewCtrl::pauseConverter()
{
    if (m_delegate)
        m_delegate->taskItemWillPause(m_downloadNode.lock());
    setPauseButtonPausing(false);
}

void DownloadedItemViewCtrl::resumeConverter()
{
    if (m_delegate)
        m_delegate->taskItemWillResume(m_downloadNode.lock());
    setPauseButtonPausing(true);
}

void DownloadedItemViewCtrl::delConverter()
{
    if (m_delegate)
        m_delegate->taskItemWillDelete(m_downloadNode.lock());
    if (isLibraryType(m_displayType))
        setActionMode(DownloadedActionViewCtrl::ModeDownloaded);
    else if (m_displayType == Converter)
        setActionMode(DownloadedActionViewCtrl::ModeConverter);
    else if (m_displayType == Transfer)
        setActionMode(DownloadedActionViewCtrl::ModeOnlyDelete);
}

void DownloadedItemViewCtrl::playVideo()
{
    if (m_delegate)
        m_delegate->playWillStart(m_downloadNode.lock());
}

void DownloadedItemViewCtrl::mtImageViewMouseEntered()
{
    if (!m_view)
        return;
    const bool show = m_displayType == Transfer || m_showPlayButton;
    if (show) {
        m_playButton->move((m_picture->width() - m_playButton->width()) / 2,
                           (m_picture->height() - m_playButton->height()) / 2);
        m_playButton->show();
        m_playButton->raise();
    }
}

void DownloadedItemViewCtrl::mtImageViewMouseExited()
{
    if (!m_view)
        return;
    // The pointer moving onto the play button itself is still over the thumbnail.
    if (m_playButton->underMouse())
        return;
    m_playButton->hide();
}

bool DownloadedItemViewCtrl::isPlayButtonVisible() const
{
    return m_playButton && !m_playButton->isHidden();
}

// Renaming ------------------------------------------------------------------------------------

void DownloadedItemViewCtrl::beginTitleEditing()
{
    if (!m_view)
        loadView();
    if (m_titleEditing)
        return;
    m_titleEditing = true;
    m_titleBeforeEditing = m_titleTxtField->text();
    m_titleTxtField->setReadOnly(false);
    m_titleTxtField->setFocusPolicy(Qt::StrongFocus);
    m_titleTxtField->setStyleSheet(QStringLiteral("QLineEdit{color:#222;background:white;border:1px solid #20C05B;}"));
    m_titleTxtField->setFocus();
    m_titleTxtField->selectAll();
}

void DownloadedItemViewCtrl::endTitleEditing(bool commit)
{
    if (!m_titleEditing || !m_titleTxtField)
        return;
    m_titleEditing = false;
    m_titleTxtField->setReadOnly(true);
    m_titleTxtField->setFocusPolicy(Qt::NoFocus);
    m_titleTxtField->setStyleSheet(QStringLiteral("QLineEdit{color:#222;background:transparent;border:none;}"));
    m_titleTxtField->deselect();
    m_titleTxtField->clearFocus();
    const QString text = m_titleTxtField->text();
    if (!commit) {
        m_titleTxtField->setText(m_titleBeforeEditing);
        m_titleTxtField->setCursorPosition(0);
        return;
    }
    m_titleTxtField->setCursorPosition(0);
    if (m_delegate)
        m_delegate->changeDidEnd(m_downloadNode.lock(), text);
}

bool DownloadedItemViewCtrl::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == m_titleTxtField && !m_titleEditing) {
        bool listMenu = event->type() == QEvent::ContextMenu;
        if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonRelease
            || event->type() == QEvent::MouseButtonDblClick)
            listMenu = static_cast<QMouseEvent *>(event)->button() == Qt::RightButton;
        if (listMenu) {
            // Not being renamed, the title is part of the row: a right click goes on to the
            // list (the row's menu), never to the editor's cut/copy/paste menu.
            event->ignore();
            return true;
        }
    }
    if (watched == m_titleTxtField && m_titleEditing && event->type() == QEvent::KeyPress) {
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            endTitleEditing(false);
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

// Item news -----------------------------------------------------------------------------------

void DownloadedItemViewCtrl::fileInfoItemDataChange(DownloadedItem &changed)
{
    std::weak_ptr<DownloadedItem> weakItem = changed.weak_from_this();
    auto step = [this, weakItem] {
        const auto shown = weakItem.lock();
        if (!shown || !m_view)
            return;
        fileThumbnailChanged(shown);
        displayViewCtroller(shown);
    };
    if (dispatch::isMainThread())
        step();
    else
        QMetaObject::invokeMethod(this, step, Qt::QueuedConnection);
}

void DownloadedItemViewCtrl::converterBtnHadChangedStatus(MGHoverButton *button)
{
    if (!button)
        return;
    button->setTitle(tr1("Convert"));
    button->setTextColor(QColor(Qt::black));
    const QString path = MainBundle::pathForResource(QStringLiteral("comverted_normal_"), QStringLiteral("png"));
    if (!path.isEmpty())
        button->setIcon(QIcon(path));
}

void DownloadedItemViewCtrl::converterBtnHadChangedStatus(ConverterButton *button)
{
    converterBtnHadChangedStatus(static_cast<MGHoverButton *>(button));
}

void DownloadedItemViewCtrl::convertedBtnWillRestore(ConverterButton *button)
{
    convertedBtnWillRestore(static_cast<QAbstractButton *>(button));
}

void DownloadedItemViewCtrl::convertedBtnWillRestore(QAbstractButton *button)
{
    const auto shown = item();
    if (m_delegate && shown)
        m_delegate->convertedButtonWillChange(shown->downloadID(), button);
}

bool DownloadedItemViewCtrl::deleteFileToTrash(const QString &path, QString *error)
{
    return DownloadedItem::deleteFileToTrash(path, error);
}

// Read-outs -----------------------------------------------------------------------------------

QString DownloadedItemViewCtrl::titleText() const { return m_titleTxtField ? m_titleTxtField->text() : QString(); }
QString DownloadedItemViewCtrl::timeText() const { return m_lblTime ? m_lblTime->text() : QString(); }
QString DownloadedItemViewCtrl::sizeText() const { return m_lblSize ? m_lblSize->text() : QString(); }
QString DownloadedItemViewCtrl::fileTypeText() const { return m_lblFiletype ? m_lblFiletype->text() : QString(); }
QString DownloadedItemViewCtrl::resolutionText() const
{
    return isResolutionVisible() ? m_lblResolution->text() : QString();
}
bool DownloadedItemViewCtrl::isResolutionVisible() const
{
    return m_lblResolution && !m_lblResolution->isHidden() && !m_resolutionView->isHidden();
}
QString DownloadedItemViewCtrl::taskResultText() const
{
    return isTaskResultVisible() ? m_lblTaskResult->text() : QString();
}
QColor DownloadedItemViewCtrl::taskResultColor() const
{
    if (!m_lblTaskResult)
        return QColor();
    const QString sheet = m_lblTaskResult->styleSheet();
    const int at = sheet.indexOf(QLatin1Char('#'));
    return at >= 0 ? QColor(sheet.mid(at, 7)) : QColor();
}
bool DownloadedItemViewCtrl::isTaskResultVisible() const
{
    return m_lblTaskResult && !m_lblTaskResult->isHidden();
}
QString DownloadedItemViewCtrl::stateText() const { return m_lblStatus ? m_lblStatus->text() : QString(); }
QString DownloadedItemViewCtrl::secondStateText() const { return m_lbl2Status ? m_lbl2Status->text() : QString(); }
QString DownloadedItemViewCtrl::percentText() const { return m_lblPercent ? m_lblPercent->text() : QString(); }
double DownloadedItemViewCtrl::progressValue() const { return m_progress ? m_progress->doubleValue() : 0.0; }

// Layout --------------------------------------------------------------------------------------

void DownloadedItemViewCtrl::layoutRow()
{
    if (!m_view)
        return;
    const int w = m_view->width();
    const int top = m_isDisplayParentNode ? PlaylistStripHeight : 0;
    const int right = w - DownloadedActionViewCtrl::Width;

    m_playlistbox->setVisible(m_isDisplayParentNode);
    m_playlistbox->setGeometry(0, 0, w, PlaylistStripHeight);
    if (m_isDisplayParentNode) {
        m_disclosureButton->move(8, 9);
        const int nameMax = std::max(60, std::min(600, w / 2));
        const int nameWidth =
            std::min(m_playlistNameTxtField->fontMetrics().horizontalAdvance(m_playlistNameTxtField->text()) + 4, nameMax);
        m_playlistNameTxtField->setGeometry(34, 8, nameWidth, 22);
        const int badgeWidth = std::max(22, m_playlistCountLable->fontMetrics().horizontalAdvance(
                                                m_playlistCountLable->text()) + 10);
        m_playlistCountLable->setGeometry(40 + nameWidth, 11, badgeWidth, 16);
        int x = 40 + nameWidth + badgeWidth + 12;
        m_animationView->move(x, 11);
        if (!m_animationView->isHidden())
            x += 22;
        m_taskInfoField->setGeometry(x, 8, std::max(0, w - x - 24), 22);
    }

    // Title line: file state icon, then the name.
    m_localFileExistsBtn->setGeometry(TextX, top + 14, 16, 16);
    m_titleTxtField->setGeometry(TextX + 22, top + 8, std::max(40, right - TextX - 22 - 10), 26);

    // Information face: the four values on one line, the job result on the next.
    m_videoInformationView->setGeometry(TextX, top + 38, std::max(40, right - TextX), 40);
    int x = 0;
    auto place = [&x](QLabel *icon, QLabel *label) {
        if (icon->isHidden() && label->isHidden())
            return;
        icon->move(x, 3);
        label->adjustSize();
        label->move(x + 18, 0);
        label->resize(label->width(), 20);
        x += 18 + label->width() + 22;
    };
    place(m_timeView, m_lblTime);
    place(m_sizeView, m_lblSize);
    place(m_fileTypeView, m_lblFiletype);
    place(m_resolutionView, m_lblResolution);
    m_imageTaskResult->move(0, 24);
    m_lblTaskResult->setGeometry(18, 21, std::max(40, m_videoInformationView->width() - 18), 18);

    // Task face: state texts, then the bar and percent.
    m_converterView->setGeometry(TextX, top + 36, std::max(40, right - TextX), 40);
    const int faceWidth = m_converterView->width();
    m_lblStatus->adjustSize();
    m_lblStatus->setGeometry(0, 0, std::min(m_lblStatus->width(), faceWidth), 18);
    m_lbl2Status->setGeometry(m_lblStatus->width() + 12, 0, std::max(0, faceWidth - m_lblStatus->width() - 12), 18);
    m_progress->setGeometry(0, 24, std::max(40, faceWidth - 60), 8);
    m_lblPercent->setGeometry(m_progress->geometry().right() + 6, 18, 50, 18);

    // Buttons from the right edge leftwards; the bar's own delete takes the outermost place.
    const int by = top + (RowHeight - ButtonSize) / 2;
    m_cancelButton->move(w - RightMargin - ButtonSize - ButtonSlot, by);
    m_pauseButton->move(w - RightMargin - ButtonSize - ButtonSlot * (m_cancelButton->isHidden() ? 1 : 2), by);
    m_satrtTaskButton->move(w - RightMargin - ButtonSize - ButtonSlot, by);
    m_deleteButton->move(w - RightMargin - ButtonSize, by);
    resetActionView();
}
