#pragma once

#include <QList>
#include <QString>
#include <QVariantList>
#include <QVariantMap>

class QLabel;
class QWidget;

// What every page controller answers for the main window. The Online page answers only
// view(); the others also take the shared status label, hear when they are shown and say
// whether work runs (asked before a scheduled shut-down or sleep).
class MainWindowPage
{
public:
    virtual ~MainWindowPage() = default;
    virtual QWidget *view() = 0;
    // False for a page that answers only view() (the Online page).
    virtual bool answersPageOperations() const { return true; }
    // The status label, or nullptr to detach it.
    virtual void setStateInfoLable(QLabel *label) { (void)label; }
    virtual void startShowView() {}
    virtual bool isHasTask() const { return false; }
};

// The running-downloads list as the shell reaches it.
class DownloadingListInterface
{
public:
    virtual ~DownloadingListInterface() = default;
    virtual void addReelgrabTask(const QString &url, const QVariantMap &params) = 0;
    virtual void addReelgrabTasks(const QList<QVariantMap> &items, const QString &fromPage, const QVariantMap &params) = 0;
    // Whether the last add took a task.
    virtual bool isTaskAdd() const = 0;
    // Points the Download menu's items at the list.
    virtual void setMenuTarget() {}
};

// What the shell needs of the Download page besides MainWindowPage.
class DownloadPageInterface
{
public:
    virtual ~DownloadPageInterface() = default;
    // The checked, normalised address, or empty when the text is refused.
    virtual QString formatMutiURL(const QString &text) = 0;
    virtual void changeToDownloadingView() = 0;
    virtual void pasteUrl() = 0;
    virtual DownloadingListInterface *downloadingViewCtr() = 0;
};

// The Convert page: takes finished items (the notification's object, an array).
class ConverterPageInterface
{
public:
    virtual ~ConverterPageInterface() = default;
    virtual void addConverterFiles(const QVariantList &items) = 0;
};

// The Transfer page: the same for the transfer list.
class TransferPageInterface
{
public:
    virtual ~TransferPageInterface() = default;
    virtual void addDownloadedItem(const QVariantList &items) = 0;
};
