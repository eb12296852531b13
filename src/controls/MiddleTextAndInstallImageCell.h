#pragma once

#include "controls/MiddleTextAndImageCell.h"

// A text-and-picture cell that also shows an install picture under a dark pie while progress
// runs from 0 (full disc) to 100 (nothing); above 100 only the row's picture shows. The model's
// TableCellRoles::ProgressRole and InstallImageRole, when given, replace the cell's own values.
class MiddleTextAndInstallImageCell : public MiddleTextAndImageCell
{
    Q_OBJECT
public:
    using MiddleTextAndImageCell::MiddleTextAndImageCell;

    QImage installImage() const { return m_installImage; }
    void setInstallImage(const QImage &image) { m_installImage = image; }
    int progress() const { return m_progress; }
    void setProgress(int progress) { m_progress = progress; }

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    static QColor pieColor() { return QColor(47, 47, 47, int(0.8 * 255)); }

private:
    QImage m_installImage;
    int m_progress = 0;
};
