#include "feedback/CTMessageStruct.h"

#include <libetpan/libetpan.h>

CTMessageStruct::CTMessageStruct(mailmessage *message, QByteArray source) : m_source(std::move(source)), m_message(message)
{
}

CTMessageStruct::~CTMessageStruct()
{
    if (m_message) {
        mailmessage_flush(m_message);
        mailmessage_free(m_message);
    }
}

std::shared_ptr<CTMessageStruct> CTMessageStruct::withData(const QByteArray &text)
{
    // The source is owned by the holder first, so the driver's pointer stays valid.
    auto holder = std::make_shared<CTMessageStruct>(nullptr, text);
    holder->m_message = data_message_init(const_cast<char *>(holder->m_source.constData()), size_t(holder->m_source.size()));
    if (!holder->m_message)
        return nullptr;
    return holder;
}
