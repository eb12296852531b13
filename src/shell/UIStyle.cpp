#include "shell/UIStyle.h"

std::shared_ptr<UIStyle> UIStyle::styleWithSlice(const QString &theme, const QString &stringValue,
                                                 const QString &toolTip)
{
    if (theme.isNull())
        return nullptr;
    auto style = std::make_shared<UIStyle>();
    style->m_sliceArray = theme.trimmed().split(QLatin1Char(','));
    style->m_stringValue = stringValue;
    style->m_toolTip = toolTip;
    style->m_drawMode = 0;
    return style;
}

std::shared_ptr<UIStyle> UIStyle::styleWithSlice(const QString &theme)
{
    return styleWithSlice(theme, QString(), QString());
}

std::shared_ptr<UIStyle> UIStyle::styleWithSliceStringValue(const QString &theme, const QString &stringValue)
{
    return styleWithSlice(theme, stringValue, QString());
}

std::shared_ptr<UIStyle> UIStyle::styleWithSliceToolTip(const QString &theme, const QString &toolTip)
{
    return styleWithSlice(theme, QString(), toolTip);
}

std::shared_ptr<UIStyle> UIStyle::styleWithSliceTextColor(const QString &theme, const QColor &textColor)
{
    auto style = styleWithSlice(theme);
    if (style)
        style->m_textColor = textColor;
    return style;
}

std::shared_ptr<UIStyle> UIStyle::styleWithSliceArray(const QStringList &slices)
{
    auto style = std::make_shared<UIStyle>();
    style->m_sliceArray = slices;
    return style;
}

std::shared_ptr<UIStyle> UIStyle::styleWithSliceNames(std::initializer_list<QString> names)
{
    return styleWithSliceArray(QStringList(names));
}

QString UIStyle::entry(int index) const
{
    if (m_sliceArray.isEmpty())
        return QString();
    const int i = index < m_sliceArray.size() ? index : 0;
    return m_sliceArray.at(i).trimmed();
}

QString UIStyle::normalSlice() const { return entry(0); }
QString UIStyle::hoverSlice() const { return entry(1); }
QString UIStyle::downSlice() const { return entry(2); }
QString UIStyle::disableSlice() const { return entry(3); }
