#include "controls/QVToolBarItem.h"

#include <QApplication>

namespace {
QFont systemFont(int px)
{
    QFont f = QApplication::font();
    f.setPixelSize(px);
    return f;
}
} // namespace

QVToolBarItem::QVToolBarItem(const QString &itemIdentifier, QObject *parent)
    : QObject(parent), m_identifier(itemIdentifier), m_labelColor(189, 188, 189), m_labelFont(systemFont(13)),
      m_selectedFont(systemFont(13))
{
}

QImage QVToolBarItem::currentImage() const
{
    QImage chosen;
    if (!m_enabled)
        chosen = m_disabledImage;
    else if (m_selected)
        chosen = m_selectedImage;
    else if (m_mouseOver)
        chosen = m_alternateImage;
    else
        chosen = m_image;
    return chosen.isNull() ? m_image : chosen;
}

QString QVToolBarItem::currentSliceName() const
{
    QString chosen;
    if (!m_enabled)
        chosen = m_disabledSliceName;
    else if (m_selected)
        chosen = m_downSliceName;
    else if (m_mouseOver)
        chosen = m_hoverSliceName;
    else
        chosen = m_normalSliceName;
    return chosen.isNull() ? m_normalSliceName : chosen;
}
