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
