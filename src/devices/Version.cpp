#include "devices/Version.h"

Version Version::createFromString(const QString &text)
{
    Version v;
    v.m_text = text.trimmed();
    if (v.m_text.isEmpty())
        return v;
    for (const QString &part : v.m_text.split(QLatin1Char('.'))) {
        qint64 n = 0;
        for (QChar c : part) {
            if (!c.isDigit())
                break;
            n = std::min<qint64>(n * 10 + c.digitValue(), 1'000'000'000);
        }
        v.m_parts.append(n);
    }
    return v;
}

int Version::compare(const Version &other) const
{
    const qsizetype n = std::max(m_parts.size(), other.m_parts.size());
    for (qsizetype i = 0; i < n; ++i) {
        const qint64 a = m_parts.value(i, 0);
        const qint64 b = other.m_parts.value(i, 0);
        if (a != b)
            return a > b ? 1 : -1;
    }
    return 0;
}
