#pragma once

#include "controls/MGBackgroundButtonCell.h"
#include "controls/MGHoverButton.h"

// A tile button: state background (nine-part by default), a large centred icon and a title.
class MGBackgroundButton : public MGHoverButton
{
    Q_OBJECT
public:
    explicit MGBackgroundButton(QWidget *parent = nullptr);

    MGBackgroundButtonCell *backgroundCell() const { return static_cast<MGBackgroundButtonCell *>(m_cell.get()); }
    void setBgNormalSliceName(const QString &s) { backgroundCell()->bgNormalSliceName = s; }
    void setBgHoverSliceName(const QString &s) { backgroundCell()->bgHoverSliceName = s; }
    void setBgDownSliceName(const QString &s) { backgroundCell()->bgDownSliceName = s; }
    void setBgDisableSliceName(const QString &s) { backgroundCell()->bgDisableSliceName = s; }
    void setAlterImageName(const QString &s) { backgroundCell()->alterImageName = s; }
    void setIconSize(const QSizeF &s) { backgroundCell()->iconSize = s; }
    QSizeF iconSize() const { return backgroundCell()->iconSize; }
    void setIconPosition(int p) { backgroundCell()->iconPosition = p; }
    void setTitleFont(const QFont &f) { backgroundCell()->setTitleFont(f); }
    QColor titleColor() const { return backgroundCell()->textColor(); }
    void setTitleColor(const QColor &c) { backgroundCell()->setTextColor(c); }
};
