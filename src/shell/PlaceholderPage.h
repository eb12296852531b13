#pragma once

#include "shell/MainWindowPage.h"

#include <QLabel>
#include <QPointer>
#include <QWidget>

class QLabel;
class PlaceholderPageView;

// The page of a tool-bar tag whose own page is not part of this build. It answers every
// operation the shell calls so the window, the notifications and the URL events work end to
// end: the Download placeholder keeps the addresses handed to it (and shows them), the Convert
// and Transfer placeholders count the items they get.
class PlaceholderPage : public MainWindowPage,
                        public DownloadPageInterface,
                        public DownloadingListInterface,
                        public ConverterPageInterface,
                        public TransferPageInterface
{
public:
    struct Request
    {
        QString url;
        QVariantMap params;
        QList<QVariantMap> items;
    };

    explicit PlaceholderPage(int tag);
    ~PlaceholderPage() override;

    int tag() const { return m_tag; }
    QWidget *view() override;
    bool answersPageOperations() const override;
    void setStateInfoLable(QLabel *label) override;
    void startShowView() override;
    bool isHasTask() const override { return m_hasTask; }
    void setHasTask(bool busy) { m_hasTask = busy; }
    int showCount() const { return m_showCount; }
    QLabel *stateInfoLable() const { return m_label; }

    QString formatMutiURL(const QString &text) override;
    void changeToDownloadingView() override { ++m_downloadingViewShown; }
    void pasteUrl() override {}
    DownloadingListInterface *downloadingViewCtr() override { return this; }

    void addReelgrabTask(const QString &url, const QVariantMap &params) override;
    void addReelgrabTasks(const QList<QVariantMap> &items, const QString &fromPage, const QVariantMap &params) override;
    bool isTaskAdd() const override { return m_taskAdded; }

    void addConverterFiles(const QVariantList &items) override;
    void addDownloadedItem(const QVariantList &items) override;

    QList<Request> requests() const { return m_requests; }
    int receivedItemCount() const { return m_receivedItems; }
    int downloadingViewShown() const { return m_downloadingViewShown; }

    static QString titleForTag(int tag);
    static QString sliceForTag(int tag);

private:
    void refresh();

    int m_tag;
    QPointer<PlaceholderPageView> m_view;
    QPointer<QLabel> m_label;
    bool m_hasTask = false;
    bool m_taskAdded = false;
    int m_showCount = 0;
    int m_receivedItems = 0;
    int m_downloadingViewShown = 0;
    QList<Request> m_requests;
};

// The drawn face of a placeholder page.
class PlaceholderPageView : public QWidget
{
    Q_OBJECT
public:
    PlaceholderPageView(int tag, QWidget *parent = nullptr);
    void setLines(const QStringList &lines);
    QStringList lines() const { return m_lines; }

protected:
    void paintEvent(QPaintEvent *) override;

private:
    int m_tag;
    QStringList m_lines;
};
