#pragma once

#include <QStringList>

// Collects the Qt messages (qWarning and the like) of this process while it lives; they still
// reach the handler that was installed before.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;

    QStringList messages() const;
    // True when one message holds every one of the texts.
    bool has(const QStringList &texts) const;
};
