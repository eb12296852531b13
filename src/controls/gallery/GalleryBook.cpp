#include "controls/gallery/GalleryBook.h"

#include "controls/slices/SlicesManager.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QRegularExpression>

namespace {
const QColor Canvas(244, 246, 248);
const QColor Caption(95, 107, 122);
} // namespace

GalleryBook::GalleryBook(const QDir &out, qreal ratio) : m_out(out), m_ratio(ratio) {}

QImage GalleryBook::renderWidget(QWidget *w, const QSize &size)
{
    w->resize(size);
    QImage img(size * m_ratio, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(m_ratio);
    img.fill(Qt::transparent);
    w->render(&img, QPoint(), QRegion(), QWidget::DrawChildren);
    return img;
}

bool GalleryBook::save(const QImage &image, const QString &name)
{
    QString file = name.toLower();
    file.replace(QRegularExpression(QStringLiteral("[^a-z0-9._-]+")), QStringLiteral("-"));
    const bool saved = image.save(m_out.filePath(file + QStringLiteral(".png")), "PNG");
    m_ok = m_ok && saved;
    m_files += saved ? 1 : 0;
    return saved;
}

namespace {
QList<GalleryBook::PageMaker> &pageMakers()
{
    static QList<GalleryBook::PageMaker> makers;
    return makers;
}
} // namespace

int GalleryBook::registerPages(PageMaker maker)
{
    pageMakers().append(std::move(maker));
    return int(pageMakers().size());
}

const QList<GalleryBook::PageMaker> &GalleryBook::registeredPages() { return pageMakers(); }

void GalleryBook::shoot(const QString &control, const QString &state, QWidget *widget, const QSize &size,
                        const std::function<void(QWidget *)> &prepare)
{
    // A light page behind the control, as on the application's pages.
    QWidget page;
    page.setAttribute(Qt::WA_DontShowOnScreen);
    page.setAutoFillBackground(true);
    QPalette pal = page.palette();
    pal.setColor(QPalette::Window, m_page);
    page.setPalette(pal);
    page.resize(size + QSize(24, 24));
    widget->setParent(&page);
    widget->move(12, 12);
    widget->resize(size);
    page.show();
    QApplication::processEvents();
    if (prepare)
        prepare(widget);
    QApplication::processEvents();
    const QImage img = renderWidget(&page, page.size());
    save(img, control + QLatin1Char('-') + state);
    m_card.append({state, img});
    delete widget;
}

void GalleryBook::finishCard(const QString &control)
{
    if (m_card.isEmpty())
        return;
    QFont font = QApplication::font();
    font.setPointSizeF(9);
    const QFontMetrics fm(font);
    const int gap = 10, labelH = fm.height() + 4, titleH = 30;
    int cellW = 0, cellH = 0;
    for (const Shot &s : std::as_const(m_card)) {
        cellW = std::max({cellW, int(s.image.width() / m_ratio), fm.horizontalAdvance(s.state) + 8});
        cellH = std::max(cellH, int(s.image.height() / m_ratio));
    }
    const int columns = std::min<int>(m_card.size(), std::max(1, 900 / (cellW + gap)));
    const int rows = (m_card.size() + columns - 1) / columns;
    const QSize size(gap + columns * (cellW + gap), titleH + rows * (cellH + labelH + gap) + gap);
    QImage card(size * m_ratio, QImage::Format_ARGB32_Premultiplied);
    card.setDevicePixelRatio(m_ratio);
    card.fill(Canvas);
    QPainter p(&card);
    p.setRenderHint(QPainter::TextAntialiasing);
    QFont titleFont = font;
    titleFont.setPointSizeF(11);
    titleFont.setBold(true);
    p.setFont(titleFont);
    p.setPen(QColor(31, 41, 51));
    p.drawText(QRect(gap, 0, size.width(), titleH), Qt::AlignVCenter, control);
    p.setFont(font);
    for (int i = 0; i < m_card.size(); ++i) {
        const int x = gap + (i % columns) * (cellW + gap);
        const int y = titleH + (i / columns) * (cellH + labelH + gap);
        const QImage &img = m_card[i].image;
        p.drawImage(QPointF(x, y), img);
        p.setPen(Caption);
        p.drawText(QRect(x, y + int(img.height() / m_ratio), cellW, labelH), Qt::AlignLeft | Qt::AlignVCenter,
                   m_card[i].state);
    }
    p.end();
    save(card, QStringLiteral("card-") + control);
    m_cards.append(card);
    m_card.clear();
}

void GalleryBook::writeSheetOverview(const QString &sheet)
{
    auto &manager = SlicesManager::defaultManager();
    const QStringList names = manager.sliceNames(sheet);
    if (names.isEmpty())
        return;
    QFont font = QApplication::font();
    font.setPointSizeF(7);
    const int cellW = 128, cellH = 96, columns = 8;
    const int rows = (names.size() + columns - 1) / columns;
    QImage img(QSize(columns * cellW, rows * cellH) * m_ratio, QImage::Format_ARGB32_Premultiplied);
    img.setDevicePixelRatio(m_ratio);
    img.fill(Canvas);
    QPainter p(&img);
    p.setFont(font);
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < names.size(); ++i) {
        const QRectF cell((i % columns) * cellW, (i / columns) * cellH, cellW, cellH);
        const QImage s = manager.sliceNamed(names[i], sheet, m_ratio);
        QSizeF sz(s.width() / m_ratio, s.height() / m_ratio);
        const QRectF room = cell.adjusted(6, 6, -6, -20);
        if (sz.width() > room.width() || sz.height() > room.height())
            sz.scale(room.size(), Qt::KeepAspectRatio);
        p.fillRect(cell.adjusted(2, 2, -2, -2), Qt::white);
        p.drawImage(QRectF(room.center() - QPointF(sz.width() / 2, sz.height() / 2), sz), s);
        p.setPen(Caption);
        p.drawText(cell.adjusted(4, cellH - 18, -4, -2), Qt::AlignCenter, names[i]);
    }
    p.end();
    save(img, QStringLiteral("sheet-") + sheet);
}

void GalleryBook::writeContactSheet()
{
    int w = 0, h = 0;
    for (const QImage &c : std::as_const(m_cards)) {
        w = std::max(w, int(c.width() / m_ratio));
        h += int(c.height() / m_ratio);
    }
    if (w == 0)
        return;
    QImage all(QSize(w, h) * m_ratio, QImage::Format_ARGB32_Premultiplied);
    all.setDevicePixelRatio(m_ratio);
    all.fill(Canvas);
    QPainter p(&all);
    int y = 0;
    for (const QImage &c : std::as_const(m_cards)) {
        p.drawImage(QPointF(0, y), c);
        y += int(c.height() / m_ratio);
    }
    p.end();
    save(all, QStringLiteral("gallery"));
}
