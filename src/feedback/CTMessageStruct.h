#pragma once

#include <QByteArray>

#include <memory>

typedef struct mailmessage mailmessage;

// A libetpan message and the bytes it reads from, shared by a read message and the parts of
// its MIME tree: a part can still fetch its bytes after the message object is gone, and the
// structure the parts point into lives as long as any of them.
class CTMessageStruct
{
public:
    // Takes the message: flushed and freed with this object.
    explicit CTMessageStruct(mailmessage *message, QByteArray source = {});
    ~CTMessageStruct();
    CTMessageStruct(const CTMessageStruct &) = delete;
    CTMessageStruct &operator=(const CTMessageStruct &) = delete;

    // A message of libetpan's data driver over a copy of text; nothing when it cannot be made.
    static std::shared_ptr<CTMessageStruct> withData(const QByteArray &text);

    mailmessage *message() const { return m_message; }
    // The text a data message reads from; empty for a message of another driver.
    QByteArray source() const { return m_source; }

private:
    // Never changed after construction: the data driver points into it.
    const QByteArray m_source;
    mailmessage *m_message = nullptr;
};
