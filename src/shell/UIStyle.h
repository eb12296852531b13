#pragma once

#include <QColor>
#include <QStringList>

#include <initializer_list>
#include <memory>
#include <optional>

// The look of one themed button: its four state slices (normal, hover, down, disabled) with an
// optional title, tool tip and text colour.
class UIStyle
{
public:
    // Theme string "a, b, c, d": trimmed and split at commas. Nothing for a null string.
    static std::shared_ptr<UIStyle> styleWithSlice(const QString &theme, const QString &stringValue,
                                                   const QString &toolTip);
    static std::shared_ptr<UIStyle> styleWithSlice(const QString &theme);
    static std::shared_ptr<UIStyle> styleWithSliceStringValue(const QString &theme, const QString &stringValue);
    static std::shared_ptr<UIStyle> styleWithSliceToolTip(const QString &theme, const QString &toolTip);
    static std::shared_ptr<UIStyle> styleWithSliceTextColor(const QString &theme, const QColor &textColor);
    static std::shared_ptr<UIStyle> styleWithSliceArray(const QStringList &slices);
    static std::shared_ptr<UIStyle> styleWithSliceNames(std::initializer_list<QString> names);

    QString normalSlice() const;
    QString hoverSlice() const;
    QString downSlice() const;
    QString disableSlice() const;

    QString stringValue() const { return m_stringValue; }
    void setStringValue(const QString &v) { m_stringValue = v; }
    QString toolTip() const { return m_toolTip; }
    void setToolTip(const QString &v) { m_toolTip = v; }
    QStringList sliceArray() const { return m_sliceArray; }
    void setSliceArray(const QStringList &v) { m_sliceArray = v; }
    std::optional<QColor> textColor() const { return m_textColor; }
    void setTextColor(const std::optional<QColor> &c) { m_textColor = c; }
    int drawMode() const { return m_drawMode; }
    void setDrawMode(int mode) { m_drawMode = mode; }

private:
    QString entry(int index) const;

    QString m_stringValue;  // null: keep the button's own title
    QString m_toolTip;      // null: keep the button's own tool tip
    QStringList m_sliceArray;
    std::optional<QColor> m_textColor;
    int m_drawMode = 0;
};
