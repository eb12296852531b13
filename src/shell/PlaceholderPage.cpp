#include "shell/PlaceholderPage.h"

#include "platform/log/ScribletLogger.h"
#include "platform/MainBundle.h"
#include "shell/ShellRegistry.h"
#include "shell/UIManager.h"
#include "shell/URLEventDecoder.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace {

QString subtitleForTag(int tag)
{
    switch (tag) {
    case ShellRegistry::Download: return MainBundle::localizedString("Paste a video page address, or send one from your browser, to start downloading.");
    case ShellRegistry::Record: return MainBundle::localizedString("Record your screen together with the sound of your computer.");
    case ShellRegistry::Convert: return MainBundle::localizedString("Convert videos and music to the format your devices play.");
    case ShellRegistry::Transfer: return MainBundle::localizedString("Copy videos and music to your phone or tablet.");
    default: return MainBundle::localizedString("Browse your favourite video sites and download what you watch.");
    }
}

// The tool-bar pictures are drawn for the dark bar: on white they take the accent colour.
QImage tinted(const QImage &icon, const QColor &color)
{
    if (icon.isNull())
        return icon;
    QImage out = icon.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_SourceIn);
    p.fillRect(out.rect(), color);
    return out;
}

} // namespace

PlaceholderPage::PlaceholderPage(int tag) : m_tag(tag) {}

PlaceholderPage::~PlaceholderPage()
{
    // The view may sit in the window's body: it goes with the page.
    delete m_view.data();
}

QString PlaceholderPage::titleForTag(int tag)
{
    static const char *const titles[] = {"Download", "Record", "Convert", "Transfer", "Online"};
    return MainBundle::localizedString(titles[(tag >= 0 && tag < 5) ? tag : 0]);
}

QString PlaceholderPage::sliceForTag(int tag)
{
    static const char *const slices[] = {"mainform-111", "mainform-113", "mainform-109", "mainform-115", "mainform-117"};
    return QString::fromLatin1(slices[(tag >= 0 && tag < 5) ? tag : 0]);
}

QWidget *PlaceholderPage::view()
{
    if (!m_view) {
        m_view = new PlaceholderPageView(m_tag);
        m_view->setObjectName(QStringLiteral("page-%1").arg(m_tag));
        refresh();
    }
    return m_view;
}

bool PlaceholderPage::answersPageOperations() const
{
    return m_tag != ShellRegistry::Online;
}

void PlaceholderPage::setStateInfoLable(QLabel *label)
{
    m_label = label;
}

void PlaceholderPage::startShowView()
{
    ++m_showCount;
}

QString PlaceholderPage::formatMutiURL(const QString &text)
{
    return URLEventDecoder::formatAddress(text);
}

void PlaceholderPage::addReelgrabTask(const QString &url, const QVariantMap &params)
{
    m_taskAdded = !url.isEmpty();
    if (!m_taskAdded)
        return;
    m_requests.append({url, params, {}});
    ScribletLogInfo(QStringLiteral("[PlaceholderPage addReelgrabTask] %1").arg(url));
    refresh();
}

void PlaceholderPage::addReelgrabTasks(const QList<QVariantMap> &items, const QString &fromPage, const QVariantMap &params)
{
    m_taskAdded = !items.isEmpty();
    if (!m_taskAdded)
        return;
    m_requests.append({fromPage, params, items});
    ScribletLogInfo(QStringLiteral("[PlaceholderPage addReelgrabTasks] %1 items from %2").arg(items.size()).arg(fromPage));
    refresh();
}

void PlaceholderPage::addConverterFiles(const QVariantList &items)
{
    m_receivedItems += int(items.size());
    refresh();
}

void PlaceholderPage::addDownloadedItem(const QVariantList &items)
{
    m_receivedItems += int(items.size());
    refresh();
}

void PlaceholderPage::refresh()
{
    if (!m_view)
        return;
    QStringList lines;
    for (const Request &r : m_requests) {
        if (r.items.isEmpty())
            lines.append(r.url);
        else
            for (const QVariantMap &item : r.items)
                lines.append(item.value(QStringLiteral("PageUrl")).toString());
    }
    if (m_receivedItems > 0)
        lines.append(MainBundle::localizedString("%1 item(s) waiting").arg(m_receivedItems));
    m_view->setLines(lines);
}

PlaceholderPageView::PlaceholderPageView(int tag, QWidget *parent) : QWidget(parent), m_tag(tag)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PlaceholderPageView::setLines(const QStringList &lines)
{
    m_lines = lines;
    update();
}

void PlaceholderPageView::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    p.fillRect(rect(), Qt::white);

    const QColor ink(0x3a, 0x40, 0x46);
    const QColor soft(0x8a, 0x93, 0x9b);
    const QColor green(36, 140, 79);

    int top = 0;
    if (m_tag == ShellRegistry::Download) {
        // The two tabs of the Download page: the running list and the library.
        const QRect strip(0, 0, width(), 44);
        p.fillRect(strip, QColor(0xf6, 0xf8, 0xf9));
        p.setPen(QColor(218, 224, 228));
        p.drawLine(strip.bottomLeft(), strip.bottomRight());
        QFont tabFont = font();
        tabFont.setPixelSize(13);
        p.setFont(tabFont);
        const QStringList tabs = {MainBundle::localizedString("Downloading"), MainBundle::localizedString("Downloaded")};
        int x = 24;
        for (int i = 0; i < tabs.size(); ++i) {
            const int w = p.fontMetrics().horizontalAdvance(tabs.at(i)) + 28;
            const QRect tab(x, 8, w, 28);
            if (i == 0) {
                QPainterPath path;
                path.addRoundedRect(tab, 14, 14);
                p.fillPath(path, green);
                p.setPen(Qt::white);
            } else {
                p.setPen(ink);
            }
            p.drawText(tab, Qt::AlignCenter, tabs.at(i));
            x += w + 8;
        }
        top = strip.bottom() + 1;
    }

    if (!m_lines.isEmpty()) {
        // Rows of the addresses handed to the page.
        QFont rowFont = font();
        rowFont.setPixelSize(13);
        p.setFont(rowFont);
        int y = top;
        for (int i = 0; i < m_lines.size() && y + 48 <= height(); ++i) {
            const QRect row(0, y, width(), 48);
            if (i % 2)
                p.fillRect(row, QColor(0xfa, 0xfb, 0xfc));
            const QImage icon = tinted(UIManager::sliceNamedInMain(PlaceholderPage::sliceForTag(m_tag)), green);
            if (!icon.isNull())
                p.drawImage(QRect(24, y + 14, 20, 20), icon);
            const QString state = MainBundle::localizedString("Waiting");
            const int stateWidth = p.fontMetrics().horizontalAdvance(state) + 24;
            p.setPen(ink);
            p.drawText(row.adjusted(60, 0, -stateWidth - 20, 0), Qt::AlignVCenter | Qt::AlignLeft,
                       p.fontMetrics().elidedText(m_lines.at(i), Qt::ElideMiddle, row.width() - 100 - stateWidth));
            p.setPen(soft);
            p.drawText(row.adjusted(0, 0, -24, 0), Qt::AlignVCenter | Qt::AlignRight, state);
            p.setPen(QColor(0xee, 0xf0, 0xf2));
            p.drawLine(row.left() + 20, row.bottom(), row.right() - 20, row.bottom());
            y += 48;
        }
        return;
    }

    // The empty page: the page's picture in a soft disc, its name and what it is for.
    const QRect area = rect().adjusted(0, top, 0, 0);
    const QPoint centre(area.center().x(), area.top() + area.height() * 2 / 5);
    const int disc = 112;
    QPainterPath circle;
    circle.addEllipse(QRectF(centre.x() - disc / 2.0, centre.y() - disc / 2.0, disc, disc));
    p.fillPath(circle, QColor(0xee, 0xf6, 0xf1));
    const QImage icon = tinted(UIManager::sliceNamedInMain(PlaceholderPage::sliceForTag(m_tag)), green);
    if (!icon.isNull())
        p.drawImage(QRect(centre.x() - 28, centre.y() - 28, 56, 56), icon);
    QFont titleFont = font();
    titleFont.setPixelSize(20);
    titleFont.setWeight(QFont::DemiBold);
    p.setFont(titleFont);
    p.setPen(ink);
    p.drawText(QRect(area.left(), centre.y() + disc / 2 + 18, area.width(), 28), Qt::AlignCenter,
               PlaceholderPage::titleForTag(m_tag));
    QFont textFont = font();
    textFont.setPixelSize(13);
    p.setFont(textFont);
    p.setPen(soft);
    p.drawText(QRect(area.left() + 40, centre.y() + disc / 2 + 52, area.width() - 80, 40),
               Qt::AlignHCenter | Qt::AlignTop | Qt::TextWordWrap, subtitleForTag(m_tag));
}
