#pragma once

#include <QList>

#include <deque>
#include <memory>

class CTMIME;

// Walks a MIME tree breadth-first: a message node, then its content; a multipart, then its
// parts in order.
class CTMIME_Enumerator
{
public:
    explicit CTMIME_Enumerator(std::shared_ptr<CTMIME> root);

    // The next node, or nothing when the walk is over.
    std::shared_ptr<CTMIME> nextObject();
    // What nextObject still gives, in order.
    QList<std::shared_ptr<CTMIME>> allObjects();

private:
    std::deque<std::shared_ptr<CTMIME>> m_toVisit;
};
