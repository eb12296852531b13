#include "feedback/CTMIMEFactory.h"

#include "feedback/CTMIME_MessagePart.h"
#include "feedback/CTMIME_MultiPart.h"
#include "feedback/CTMIME_TextPart.h"

#include <libetpan/libetpan.h>

namespace {

template <typename Part>
std::shared_ptr<Part> readPart(struct mailmime *mime, std::shared_ptr<CTMessageStruct> message)
{
    auto part = std::make_shared<Part>();
    return part->initWithMIMEStruct(mime, std::move(message)) ? part : nullptr;
}

}

std::shared_ptr<CTMIME> CTMIMEFactory::createMIMEWithMIMEStruct(struct mailmime *mime, std::shared_ptr<CTMessageStruct> message)
{
    if (!mime)
        return nullptr;
    switch (mime->mm_type) {
    case MAILMIME_SINGLE:
        return createMIMESinglePartWithMIMEStruct(mime, std::move(message));
    case MAILMIME_MULTIPLE:
        return readPart<CTMIME_MultiPart>(mime, std::move(message));
    case MAILMIME_MESSAGE:
        return readPart<CTMIME_MessagePart>(mime, std::move(message));
    default:
        return nullptr;
    }
}

std::shared_ptr<CTMIME_SinglePart> CTMIMEFactory::createMIMESinglePartWithMIMEStruct(struct mailmime *mime,
                                                                                     std::shared_ptr<CTMessageStruct> message)
{
    if (!mime)
        return nullptr;
    if (!mime->mm_content_type || !mime->mm_content_type->ct_type)
        return readPart<CTMIME_SinglePart>(mime, std::move(message));
    const struct mailmime_type *type = mime->mm_content_type->ct_type;
    if (type->tp_type != MAILMIME_TYPE_DISCRETE_TYPE || !type->tp_data.tp_discrete_type)
        return nullptr;
    if (type->tp_data.tp_discrete_type->dt_type == MAILMIME_DISCRETE_TYPE_TEXT)
        return readPart<CTMIME_TextPart>(mime, std::move(message));
    return readPart<CTMIME_SinglePart>(mime, std::move(message));
}
