#pragma once

#include <QTableView>

// A plain table whose selected rows are filled with a pale green instead of the platform's
// highlight, keeping the normal text colour.
class CustomHighLightTableView : public QTableView
{
    Q_OBJECT
public:
    explicit CustomHighLightTableView(QWidget *parent = nullptr);
    static QColor highlightColor() { return QColor(243, 248, 242); }
};
