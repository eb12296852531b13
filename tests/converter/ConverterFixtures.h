#pragma once

#include "converter/TBVideoConvertTask.h"
#include "downloads/TBVideoConvertTaskDelegate.h"

#include <QByteArray>
#include <QList>

// Sets FENNIX_SWIFTCARRY for one test and puts the old value back.
class ScopedTool
{
public:
    explicit ScopedTool(const QString &path)
        : m_had(qEnvironmentVariableIsSet("FENNIX_SWIFTCARRY"))
        , m_old(qgetenv("FENNIX_SWIFTCARRY"))
    {
        qputenv("FENNIX_SWIFTCARRY", path.toLocal8Bit());
    }
    ~ScopedTool()
    {
        if (m_had)
            qputenv("FENNIX_SWIFTCARRY", m_old);
        else
            qunsetenv("FENNIX_SWIFTCARRY");
    }

private:
    bool m_had;
    QByteArray m_old;
};

// Records what a job tells its delegate.
class JobRecorder : public TBVideoConvertTaskDelegate
{
public:
    void convertTaskDidStarted(ConvertJob &) override { ++started; }
    void convertTaskDidChangeProgress(ConvertJob &, qint32 percent) override { progress.append(percent); }
    void convertTaskDidFinished(ConvertJob &job) override
    {
        ++finished;
        statuses.append(job.taskStatus());
    }
    int started = 0;
    int finished = 0;
    QList<qint32> progress;
    QList<qint32> statuses;
};
