#include "extension/json/SBJsonBase.h"

const char *const SBJSONErrorDomain = "org.tolvenra.JSON.ErrorDomain";

SBJsonBase::SBJsonBase(QObject *parent) : QObject(parent) {}

void SBJsonBase::addErrorWithCode(int code, const QString &description)
{
    SBJsonError e;
    e.code = code;
    e.description = description;
    e.underlying = int(m_errorTrace.size()) - 1;
    m_errorTrace.append(e);
    emit errorTraceChanged();
}

void SBJsonBase::clearErrorTrace()
{
    if (m_errorTrace.isEmpty())
        return;
    m_errorTrace.clear();
    emit errorTraceChanged();
}

QString SBJsonBase::errorTraceText() const
{
    QStringList parts;
    for (const SBJsonError &e : m_errorTrace)
        parts << QStringLiteral("%1 (%2)").arg(e.description).arg(e.code);
    return parts.join(QStringLiteral("; "));
}

bool SBJsonBase::enterLevel()
{
    ++m_depth;
    if ((m_maxDepth != 0 && m_depth > m_maxDepth) || m_depth > HardDepthLimit) {
        addErrorWithCode(7, QStringLiteral("Nested too deep"));
        return false;
    }
    return true;
}
