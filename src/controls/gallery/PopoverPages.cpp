#include "controls/gallery/GalleryBook.h"

// Gallery pages of the popover controls.
void popoverPages(GalleryBook &book, qreal ratio)
{
    Q_UNUSED(book);
    Q_UNUSED(ratio);
}
