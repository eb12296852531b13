#pragma once

#include <QDir>
#include <QImage>
#include <QList>
#include <QString>
#include <QWidget>

#include <functional>

// Renders controls into PNG files: one picture per control and state, and one card per
// control that shows all its states side by side with their names.
class GalleryBook
{
public:
    GalleryBook(const QDir &out, qreal ratio);

    // Pages of controls that live in folders built after this one (the converter's windows);
    // their files register them at start-up and the gallery renders them after its own.
    using PageMaker = std::function<void(GalleryBook &book, qreal ratio)>;
    static int registerPages(PageMaker maker);
    static const QList<PageMaker> &registeredPages();

    // The control is shown, given the state by prepare(), rendered and deleted.
    void shoot(const QString &control, const QString &state, QWidget *widget, const QSize &size,
               const std::function<void(QWidget *)> &prepare = {});
    // Writes the card of the control shot last and starts a new one.
    void finishCard(const QString &control);
    void writeSheetOverview(const QString &sheet);
    // The overview of every card.
    void writeContactSheet();
    // Colour of the page behind the next shots (white by default).
    void setPageColor(const QColor &c) { m_page = c; }
    int fileCount() const { return m_files; }
    bool ok() const { return m_ok; }

private:
    struct Shot
    {
        QString state;
        QImage image;
    };
    QImage renderWidget(QWidget *w, const QSize &size);
    bool save(const QImage &image, const QString &name);

    QDir m_out;
    qreal m_ratio;
    QList<Shot> m_card;
    QList<QImage> m_cards;
    QColor m_page = Qt::white;
    int m_files = 0;
    bool m_ok = true;
};
