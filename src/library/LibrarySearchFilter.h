#pragma once

#include <QHash>
#include <QString>

// The library's search test: a substring match that ignores letter case and accents
// ("cafe" finds "Café"). Folded texts are cached, so filtering a large library again on every
// keystroke only folds the names it has not seen. Main thread only.
class LibrarySearchFilter
{
public:
    // Case- and accent-free form of a text: canonical decomposition, combining marks dropped,
    // case folded, and the few letters that do not decompose (ø, ł, đ, ß ...) spelled out.
    static QString fold(const QString &text);

    // Prepares the search text; an empty or blank text matches everything.
    void setSearchText(const QString &text);
    QString searchText() const { return m_search; }
    bool isActive() const { return !m_foldedSearch.isEmpty(); }
    bool matches(const QString &text);

    void clearCache() { m_cache.clear(); }
    int cacheSize() const { return int(m_cache.size()); }
    static constexpr int MaxCacheSize = 200000;

private:
    const QString &folded(const QString &text);

    QString m_search;
    QString m_foldedSearch;
    QHash<QString, QString> m_cache;
};
