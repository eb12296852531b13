#pragma once

#include <QWidget>

// The connection flow's first view: how to connect a device and which devices are supported.
class StartConnectViewCtrl : public QWidget
{
    Q_OBJECT
public:
    explicit StartConnectViewCtrl(QWidget *parent = nullptr);
};
