// The time entry control and the tool box tiles in the controls gallery.
#include "controls/TimeLabel.h"
#include "controls/gallery/GalleryBook.h"

#include <QLineEdit>

namespace {

void timeLabels(GalleryBook &book)
{
    const QString c = QStringLiteral("TimeLabel");
    struct State { const char *name; double time; bool editable; };
    const State states[] = {
        {"zero-editable", 0, true},
        {"1h-2m-5s-editable", 3725.4, true},
        {"longest-editable", 359999, true},
        {"read-only", 754, false},
    };
    for (const State &s : states) {
        book.shoot(c, QLatin1String(s.name), new TimeLabel, QSize(110, 25), [s](QWidget *w) {
            auto *l = static_cast<TimeLabel *>(w);
            l->setTime(s.time);
            l->setEditable(s.editable);
        });
    }
    book.finishCard(c);
}

void entryPages(GalleryBook &book, qreal)
{
    timeLabels(book);
}

const int registered = GalleryBook::registerPages(entryPages);

} // namespace
