#pragma once

#include <QObject>
#include <QString>

// A help link of the connection flow. The information key names either a web address or a
// help page that ships with the application (a resource under "transfer-help/"); a shipped
// page is written to the private runtime folder and opened from there in the desktop's browser.
class TransferHelpPage : public QObject
{
    Q_OBJECT
public:
    TransferHelpPage(const QString &infoKey, QObject *parent);

    // The web address of the key; empty when the key names a shipped page.
    static QString webAddress(const QString &infoKey);
    // The local file of a shipped page (written on first use); empty when there is none.
    static QString localPage(const QString &infoKey);

    Q_INVOKABLE void openPage(QObject *sender = nullptr);

private:
    QString m_infoKey;
};
