#include "support/MessageCapture.h"

#include <QMutex>
#include <QMutexLocker>

namespace {

QMutex g_lock;
QStringList g_messages;
QtMessageHandler g_previous = nullptr;

void capture(QtMsgType type, const QMessageLogContext &context, const QString &text)
{
    {
        QMutexLocker hold(&g_lock);
        g_messages.append(text);
    }
    if (g_previous)
        g_previous(type, context, text);
}

} // namespace

MessageCapture::MessageCapture()
{
    QMutexLocker hold(&g_lock);
    g_messages.clear();
    g_previous = qInstallMessageHandler(capture);
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(g_previous);
    QMutexLocker hold(&g_lock);
    g_previous = nullptr;
    g_messages.clear();
}

QStringList MessageCapture::messages() const
{
    QMutexLocker hold(&g_lock);
    return g_messages;
}

bool MessageCapture::has(const QStringList &texts) const
{
    for (const QString &message : messages()) {
        bool all = true;
        for (const QString &text : texts)
            all = all && message.contains(text);
        if (all)
            return true;
    }
    return false;
}
