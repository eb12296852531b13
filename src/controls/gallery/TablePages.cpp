#include "controls/gallery/GalleryBook.h"

// Gallery pages of the table controls.
void tablePages(GalleryBook &book, qreal ratio)
{
    Q_UNUSED(book);
    Q_UNUSED(ratio);
}
