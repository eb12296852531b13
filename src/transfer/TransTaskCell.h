#pragma once

#include <QFont>
#include <QStyledItemDelegate>

class FileInfoItem;

// Draws one waiting file of the Transfer page's pop-up list: the site icon and the file's name,
// shortened in the middle to fit. The row's object (ObjectRole) is a
// std::shared_ptr<FileInfoItem>; rows are never drawn highlighted.
class TransTaskCell : public QStyledItemDelegate
{
public:
    static constexpr int ObjectRole = Qt::UserRole + 1;
    static constexpr int RowHeight = 42;

    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter *painter, const QStyleOptionViewItem &option, const QModelIndex &index) const override;
    QSize sizeHint(const QStyleOptionViewItem &option, const QModelIndex &index) const override;

    // The font names are measured and drawn in (the system font at 12 points).
    static QFont nameFont();
    // True when text is wider than width in nameFont().
    static bool isStringInSize(const QString &text, qreal width);
    // The last path component of filePath, shortened by characters to 50, then to 40 and to
    // 30 while it is wider than the cell leaves room for.
    static QString displayName(const QString &filePath, qreal cellWidth);
    // The icon at iconPath, or the default site icon when none loads.
    static QImage iconFor(const QString &iconPath);
};
