#include "shell/NSAttributedStringLinkToURL.h"

namespace NSAttributedStringLinkToURL {

AttributedString attributedStringWithLinkToURL(const QString &address, const QString &title)
{
    QTextCharFormat format;
    format.setAnchor(true);
    format.setAnchorHref(address);
    format.setForeground(QColor(Qt::blue));
    format.setUnderlineStyle(QTextCharFormat::SingleUnderline);
    AttributedString out(title, format);
    out.setElideMode(Qt::ElideMiddle);
    return out;
}

} // namespace NSAttributedStringLinkToURL
