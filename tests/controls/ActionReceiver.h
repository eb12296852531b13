#pragma once

#include <QList>
#include <QObject>

// The target of a control's action in tests: notes every sender of "picked".
class ActionReceiver : public QObject
{
    Q_OBJECT
public:
    QList<QObject *> senders;
public slots:
    void picked(QObject *sender) { senders.append(sender); }
};
