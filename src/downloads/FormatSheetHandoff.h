#pragma once

#include <QVariantMap>

#include <functional>

class QWidget;

// The output-format sheet as the Download page reaches it; the converter makes it and the
// program hands the maker over with setFormatSheetFactory() (downloads never links the
// converter's windows). The sheet lives as a child of the parent given to the maker.
class FormatSheetHandoff
{
public:
    virtual ~FormatSheetHandoff() = default;
    // (result code, convert parameter dictionary): 1 and the choice on Done, 0 and an empty map
    // on Cancel.
    virtual void setCloseHandler(std::function<void(int, const QVariantMap &)> handler) = 0;
    virtual void setIsOneMode(bool on) = 0;
    // Shows the sheet over parent's window; returns at once (window-modal).
    virtual void showSheet(QWidget *parent) = 0;
    virtual QWidget *sheetWidget() = 0;
};
