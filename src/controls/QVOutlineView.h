#pragma once

#include <QTreeView>

// The outline of the library's playlists: a pale blue selection, no drop highlight, and a drag
// that leaves clears its drop target.
class QVOutlineView : public QTreeView
{
    Q_OBJECT
public:
    struct Range
    {
        quint32 location = 0;
        quint32 length = 0;
        bool operator==(const Range &) const = default;
    };
    static constexpr quint32 NotFoundLocation = 0xFFFFFFFFu;

    explicit QVOutlineView(QWidget *parent = nullptr);
    static QColor highlightColor() { return QColor(211, 238, 255); }
    Range dragFocusIndexs() const { return m_dragFocusIndexs; }
    void setDragFocusIndexs(const Range &r);

protected:
    void dragLeaveEvent(QDragLeaveEvent *event) override;

private:
    Range m_dragFocusIndexs;
};
