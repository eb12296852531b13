#pragma once

#include <QObject>
#include <QStringList>
#include <QVariantMap>

#include <memory>

class NamedConnection;

// The tool's media-information use: one report per file, read in process, then the end report.
class SwiftcarryMediaInfo : public QObject
{
    Q_OBJECT
public:
    SwiftcarryMediaInfo(const QString &connectionName, const QStringList &files, QObject *parent = nullptr);
    ~SwiftcarryMediaInfo() override;
    bool start();

    // The report of one file (index counts from 1).
    static QVariantMap reportForFile(const QString &path, int index, int count);

signals:
    void done(int exitCode);

private:
    void next();

    QString m_name;
    QStringList m_files;
    int m_index = 0;
    std::unique_ptr<NamedConnection> m_loader;
};
