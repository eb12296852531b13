#pragma once

#include <memory>

struct mailmime;
class CTMIME;
class CTMIME_SinglePart;
class CTMessageStruct;

// Builds the MIME tree of a read message from libetpan's parsed structure.
class CTMIMEFactory
{
public:
    // A multipart of the parts it can make, a message part with its content, a single part;
    // none for no structure or one it cannot read.
    static std::shared_ptr<CTMIME> createMIMEWithMIMEStruct(struct mailmime *mime, std::shared_ptr<CTMessageStruct> message);
    // A text part for a text type, a single part for any other discrete type; none for a
    // composite type (a multipart that lost its boundary is such a leaf).
    static std::shared_ptr<CTMIME_SinglePart> createMIMESinglePartWithMIMEStruct(struct mailmime *mime,
                                                                                 std::shared_ptr<CTMessageStruct> message);
};
