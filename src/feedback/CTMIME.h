#pragma once

#include <QByteArray>
#include <QString>

#include <memory>

struct mailmime;
class CTMIME_Enumerator;
class CTMessageStruct;

// A node of a message's MIME tree. Parents own their children; nodes are shared so an
// enumerator can hand them out.
class CTMIME : public std::enable_shared_from_this<CTMIME>
{
public:
    virtual ~CTMIME();

    QString contentType() const { return m_contentType; }
    void setContentType(const QString &contentType) { m_contentType = contentType; }

    // Reads the node from a parsed structure of message (which keeps the structure alive):
    // the content type here, the rest in each kind of node. False when the node cannot be
    // read from it.
    virtual bool initWithMIMEStruct(struct mailmime *mime, std::shared_ptr<CTMessageStruct> message);

    // A new libetpan structure of this node and its children (the caller frees it with
    // mailmime_free after render's care for borrowed header fields); nothing when it cannot
    // be built. Single parts point at their own bytes, so the node must outlive the structure.
    virtual struct mailmime *buildMIMEStruct() const = 0;
    // The tree written as MIME text; empty when it cannot be built.
    QByteArray render() const;
    CTMIME_Enumerator mimeEnumerator();

protected:
    CTMIME() = default;
    QString m_contentType;
};
