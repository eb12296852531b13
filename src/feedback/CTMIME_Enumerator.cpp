#include "feedback/CTMIME_Enumerator.h"

#include "feedback/CTMIME_MessagePart.h"
#include "feedback/CTMIME_MultiPart.h"

CTMIME_Enumerator::CTMIME_Enumerator(std::shared_ptr<CTMIME> root)
{
    if (root)
        m_toVisit.push_back(std::move(root));
}

std::shared_ptr<CTMIME> CTMIME_Enumerator::nextObject()
{
    if (m_toVisit.empty())
        return nullptr;
    std::shared_ptr<CTMIME> part = m_toVisit.front();
    m_toVisit.pop_front();
    if (const auto message = std::dynamic_pointer_cast<CTMIME_MessagePart>(part)) {
        if (message->content())
            m_toVisit.push_back(message->content());
    } else if (const auto multi = std::dynamic_pointer_cast<CTMIME_MultiPart>(part)) {
        for (const auto &child : multi->content())
            m_toVisit.push_back(child);
    }
    return part;
}

QList<std::shared_ptr<CTMIME>> CTMIME_Enumerator::allObjects()
{
    QList<std::shared_ptr<CTMIME>> all;
    while (auto part = nextObject())
        all.append(std::move(part));
    return all;
}
