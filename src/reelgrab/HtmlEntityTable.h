#pragma once

#include <QString>

#include <span>

// The HTML character references that texts taken from web pages (titles, descriptions) are
// decoded with: the named references of HTML 4.01 plus the numeric forms in common use.
// References outside the table (other numbers, hexadecimal forms) are left as they are.
class HtmlEntityTable
{
public:
    struct Entry
    {
        const char *reference; // e.g. "&amp;", "&#160;", "&#181" (no semicolon)
        char32_t codePoint;
    };

    static constexpr int EntryCount = 397;

    static std::span<const Entry> entries();
    // The character a reference stands for; empty when the reference is not in the table.
    static QString characterFor(const QString &reference);
    // Replaces every reference of the table in one left-to-right pass: what a replacement
    // produces is never decoded again ("&amp;lt;" gives "&lt;").
    static QString decode(const QString &text);
};
