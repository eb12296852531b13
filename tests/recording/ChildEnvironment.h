#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <utility>

// Sets environment variables for the recorder the server starts, and puts them back.
class ChildEnvironment
{
public:
    void set(const char *name, const QString &value)
    {
        m_saved.append({name, qgetenv(name)});
        qputenv(name, value.toLocal8Bit());
    }
    void unset(const char *name)
    {
        m_saved.append({name, qgetenv(name)});
        qunsetenv(name);
    }
    ~ChildEnvironment()
    {
        for (auto it = m_saved.rbegin(); it != m_saved.rend(); ++it) {
            if (it->second.isNull())
                qunsetenv(it->first);
            else
                qputenv(it->first, it->second);
        }
    }

private:
    QList<std::pair<const char *, QByteArray>> m_saved;
};
