#pragma once

#include <QList>
#include <QObject>
#include <QString>

// The error domain of the bundle's JSON codec.
extern const char *const SBJSONErrorDomain;

struct SBJsonError
{
    int code = 0;
    QString description;
    // The error that was last in the trace when this one was added (-1: none).
    int underlying = -1;
};

// What the parser and the writer share: the error trace of the current call and the nesting
// limit. The trace is empty when the call went well.
class SBJsonBase : public QObject
{
    Q_OBJECT
    Q_PROPERTY(QList<SBJsonError> errorTrace READ errorTrace NOTIFY errorTraceChanged)

public:
    // Deeper nesting than this is refused even with maxDepth 0 ("no limit"): each level costs
    // a stack frame (several kilobytes of them under the sanitizers), and browser files never
    // come near it.
    static constexpr unsigned HardDepthLimit = 2000;

    explicit SBJsonBase(QObject *parent = nullptr);

    unsigned maxDepth() const { return m_maxDepth; }
    void setMaxDepth(unsigned depth) { m_maxDepth = depth; }

    const QList<SBJsonError> &errorTrace() const { return m_errorTrace; }
    void addErrorWithCode(int code, const QString &description);
    void clearErrorTrace();
    // The trace as one line for the log, innermost first.
    QString errorTraceText() const;

signals:
    void errorTraceChanged();

protected:
    // Raises the depth; false (with code 7 in the trace) when it passes the limit.
    bool enterLevel();
    void leaveLevel() { --m_depth; }

    unsigned m_depth = 0;

private:
    unsigned m_maxDepth = 512;
    QList<SBJsonError> m_errorTrace;
};
