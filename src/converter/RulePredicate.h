#pragma once

#include <QString>

#include <functional>
#include <memory>

// The condition language of the fitting rules: comparisons of key paths and numbers
// ("width > 1280", "framerate <= 30.5", "width * height >= 921600"), joined with AND/&&,
// OR/||, NOT/!, parentheses, BETWEEN {lo, hi}, IN {a, b, ...}, TRUEPREDICATE and
// FALSEPREDICATE. Keywords are case-insensitive. Text that does not parse is invalid and
// never holds.
class RulePredicate
{
public:
    // Answers a key's value; false when the object has no such key.
    using Resolver = std::function<bool(const QString &key, double *value)>;

    static RulePredicate parse(const QString &text);
    bool isValid() const { return m_root != nullptr; }
    QString errorString() const { return m_error; }
    // False for an invalid predicate or one that names an unknown key.
    bool evaluate(const Resolver &resolver) const;

    struct Node;

private:
    std::shared_ptr<Node> m_root;
    QString m_error;
};
