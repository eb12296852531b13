#include "library/LibrarySearchFilter.h"

namespace {

// Letters without a canonical decomposition that a user types without their stroke.
QString spelledOut(QChar c)
{
    switch (c.unicode()) {
    case 0x00F8: return QStringLiteral("o");  // ø
    case 0x0142: return QStringLiteral("l");  // ł
    case 0x0111: return QStringLiteral("d");  // đ
    case 0x0127: return QStringLiteral("h");  // ħ
    case 0x0131: return QStringLiteral("i");  // ı
    case 0x00DF: return QStringLiteral("ss"); // ß
    case 0x00E6: return QStringLiteral("ae"); // æ
    case 0x0153: return QStringLiteral("oe"); // œ
    case 0x00FE: return QStringLiteral("th"); // þ
    default: return QString();
    }
}

bool isPlainAscii(const QString &text)
{
    for (QChar c : text)
        if (c.unicode() >= 0x80)
            return false;
    return true;
}

} // namespace

QString LibrarySearchFilter::fold(const QString &text)
{
    if (isPlainAscii(text))
        return text.toCaseFolded();
    const QString decomposed = text.normalized(QString::NormalizationForm_KD);
    QString out;
    out.reserve(decomposed.size());
    for (QChar c : decomposed) {
        const QChar::Category cat = c.category();
        if (cat == QChar::Mark_NonSpacing || cat == QChar::Mark_SpacingCombining || cat == QChar::Mark_Enclosing)
            continue;
        out.append(c);
    }
    out = out.toCaseFolded();
    QString result;
    result.reserve(out.size());
    for (QChar c : std::as_const(out)) {
        const QString s = spelledOut(c);
        if (s.isEmpty())
            result.append(c);
        else
            result.append(s);
    }
    return result;
}

void LibrarySearchFilter::setSearchText(const QString &text)
{
    m_search = text.trimmed();
    m_foldedSearch = fold(m_search);
}

const QString &LibrarySearchFilter::folded(const QString &text)
{
    auto it = m_cache.constFind(text);
    if (it != m_cache.constEnd())
        return it.value();
    if (m_cache.size() >= MaxCacheSize)
        m_cache.clear();
    return m_cache.insert(text, fold(text)).value();
}

bool LibrarySearchFilter::matches(const QString &text)
{
    if (m_foldedSearch.isEmpty())
        return true;
    if (text.size() < m_foldedSearch.size() && isPlainAscii(text))
        return false;
    return folded(text).contains(m_foldedSearch);
}
