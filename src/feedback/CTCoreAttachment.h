#pragma once

#include "feedback/CTBareAttachment.h"

#include <QByteArray>

#include <optional>

// An attachment with its bytes.
class CTCoreAttachment : public CTBareAttachment
{
public:
    CTCoreAttachment(const QByteArray &data, const QString &contentType, const QString &filename);
    // The file's bytes, its last path component as name and the content type its extension
    // maps to in the "types" resource (else "application/octet-stream"); nothing when the file
    // cannot be read.
    static std::optional<CTCoreAttachment> attachmentWithContentsOfFile(const QString &path);
    static QString contentTypeForExtension(const QString &extension);

    QByteArray data() const { return m_data; }
    void setData(const QByteArray &data) { m_data = data; }
    // Atomic: the file holds the old bytes or all new ones.
    bool writeToFile(const QString &path) const;

private:
    QByteArray m_data;
};
