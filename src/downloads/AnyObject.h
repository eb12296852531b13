#pragma once

#include <memory>
#include <typeinfo>

// An owned object of any class, read back under the class it was stored as.
class AnyObject
{
public:
    AnyObject() = default;
    template <class T>
    AnyObject(std::shared_ptr<T> object) // NOLINT: implicit on purpose, like storing an id
        : m_object(std::move(object))
        , m_type(m_object ? &typeid(T) : nullptr)
    {
    }

    explicit operator bool() const { return bool(m_object); }
    const std::shared_ptr<void> &pointer() const { return m_object; }

    // The object when it was stored as exactly T, else null.
    template <class T>
    std::shared_ptr<T> as() const
    {
        if (m_type && *m_type == typeid(T))
            return std::static_pointer_cast<T>(m_object);
        return nullptr;
    }

private:
    std::shared_ptr<void> m_object;
    const std::type_info *m_type = nullptr;
};
