#include "tools/swiftcarry/SwiftcarryMediaInfo.h"

#include "tools/swiftcarry/SwiftcarryProtocol.h"
#include "media/QVMediaFileInfo.h"
#include "platform/NamedConnection.h"

#include <QTimer>

#include <cmath>
#include <cstdio>

using namespace SwiftcarryProtocol;

SwiftcarryMediaInfo::SwiftcarryMediaInfo(const QString &connectionName, const QStringList &files, QObject *parent)
    : QObject(parent)
    , m_name(connectionName)
    , m_files(files)
{
}

SwiftcarryMediaInfo::~SwiftcarryMediaInfo() = default;

bool SwiftcarryMediaInfo::start()
{
    QString error;
    m_loader = NamedConnection::connectTo(m_name, 5000, &error);
    if (!m_loader) {
        std::fprintf(stderr, "%s\n", qPrintable(error));
        return false;
    }
    connect(m_loader.get(), &NamedConnection::connectionDidDie, this, [this]() {
        m_index = int(m_files.size()) + 1;
        emit done(1);
    });
    m_loader->sendMessage(QLatin1String(MediaInfoWillStart), archiveStringList(m_files));
    QTimer::singleShot(0, this, &SwiftcarryMediaInfo::next);
    return true;
}

QVariantMap SwiftcarryMediaInfo::reportForFile(const QString &path, int index, int count)
{
    QVariantMap report;
    report.insert(QLatin1String(DictionaryContent), QLatin1String(MediaInfoContent));
    report.insert(QStringLiteral("filePath"), path);
    report.insert(QStringLiteral("fileIndex"), index);
    report.insert(QStringLiteral("filesCount"), count);
    const QVMediaFileInfo info(path);
    if (!info.isValid()) {
        report.insert(QStringLiteral("error"), info.errorString());
        return report;
    }
    report.insert(QStringLiteral("duration"), qint64(std::llround(info.duration())));
    const QVStreamInfo *v = info.firstVideo();
    QVariantMap size;
    size.insert(QStringLiteral("width"), v ? double(v->width()) : 0.0);
    size.insert(QStringLiteral("height"), v ? double(v->height()) : 0.0);
    report.insert(QStringLiteral("resolution"), size);
    return report;
}

void SwiftcarryMediaInfo::next()
{
    if (m_index > m_files.size())
        return;
    if (m_index == m_files.size()) {
        ++m_index;
        m_loader->sendMessage(QLatin1String(MediaInfoDidEnd), {});
        drainAndClose(m_loader.get());
        emit done(0);
        return;
    }
    const int i = m_index++;
    m_loader->sendMessage(QLatin1String(MediaInfoDidLoad),
                          archiveDictionary(reportForFile(m_files.at(i), i + 1, int(m_files.size()))));
    QTimer::singleShot(0, this, &SwiftcarryMediaInfo::next);
}
