#include "feedback/CTMIME.h"

#include "feedback/CTMIME_Enumerator.h"

#include <libetpan/libetpan.h>

namespace {

// Header fields of message nodes are borrowed from their message: take them off before the
// structure is freed, at every depth.
void detachBorrowedFields(struct mailmime *mime)
{
    if (!mime)
        return;
    switch (mime->mm_type) {
    case MAILMIME_MESSAGE:
        mime->mm_data.mm_message.mm_fields = nullptr;
        detachBorrowedFields(mime->mm_data.mm_message.mm_msg_mime);
        break;
    case MAILMIME_MULTIPLE:
        for (clistiter *it = clist_begin(mime->mm_data.mm_multipart.mm_mp_list); it; it = clist_next(it))
            detachBorrowedFields(static_cast<struct mailmime *>(clist_content(it)));
        break;
    default:
        break;
    }
}

}

CTMIME::~CTMIME() = default;

bool CTMIME::initWithMIMEStruct(struct mailmime *mime, std::shared_ptr<CTMessageStruct>)
{
    const struct mailmime_content *content = mime ? mime->mm_content_type : nullptr;
    if (!content || !content->ct_type) {
        m_contentType = QStringLiteral("application/octet-stream");
        return mime != nullptr;
    }
    QString type = QStringLiteral("application");
    const struct mailmime_type *t = content->ct_type;
    if (t->tp_type == MAILMIME_TYPE_DISCRETE_TYPE && t->tp_data.tp_discrete_type) {
        switch (t->tp_data.tp_discrete_type->dt_type) {
        case MAILMIME_DISCRETE_TYPE_TEXT:
            type = QStringLiteral("text");
            break;
        case MAILMIME_DISCRETE_TYPE_IMAGE:
            type = QStringLiteral("image");
            break;
        case MAILMIME_DISCRETE_TYPE_AUDIO:
            type = QStringLiteral("audio");
            break;
        case MAILMIME_DISCRETE_TYPE_VIDEO:
            type = QStringLiteral("video");
            break;
        default:
            break;
        }
    } else if (t->tp_type == MAILMIME_TYPE_COMPOSITE_TYPE && t->tp_data.tp_composite_type) {
        if (t->tp_data.tp_composite_type->ct_type == MAILMIME_COMPOSITE_TYPE_MULTIPART)
            type = QStringLiteral("multipart");
        else if (t->tp_data.tp_composite_type->ct_type == MAILMIME_COMPOSITE_TYPE_MESSAGE)
            type = QStringLiteral("message");
    }
    m_contentType = QStringLiteral("%1/%2").arg(type, QString::fromUtf8(content->ct_subtype ? content->ct_subtype : "").toLower());
    return true;
}

QByteArray CTMIME::render() const
{
    struct mailmime *mime = buildMIMEStruct();
    if (!mime)
        return {};
    MMAPString *str = mmap_string_new("");
    int col = 0;
    QByteArray out;
    if (str && mailmime_write_mem(str, &col, mime) == MAILIMF_NO_ERROR)
        out = QByteArray(str->str, qsizetype(str->len));
    if (str)
        mmap_string_free(str);
    detachBorrowedFields(mime);
    mailmime_free(mime);
    return out;
}

CTMIME_Enumerator CTMIME::mimeEnumerator()
{
    return CTMIME_Enumerator(shared_from_this());
}
