#pragma once

#include "downloads/DataBaseManager.h"
#include "library/ThumbnailServerWraper.h"

#include <QString>

#include <gtest/gtest.h>

#include <memory>

// A fresh library under the test home: its own folder and database, thumbnails that make no
// pictures, and the list sorted by name, ascending. Fixtures that own a page drop it in their
// TearDown before calling this one's.
class LibraryStoreFixture : public ::testing::Test
{
protected:
    explicit LibraryStoreFixture(QString folderPrefix) : m_folderPrefix(std::move(folderPrefix)) {}

    void SetUp() override;
    void TearDown() override;

    QString m_folder;
    std::unique_ptr<DataBaseManager> m_db;
    std::unique_ptr<ThumbnailServerWraper> m_thumbnails;

private:
    QString m_folderPrefix;
};
