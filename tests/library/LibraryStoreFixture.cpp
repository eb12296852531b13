#include "LibraryStoreFixture.h"

#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QUuid>

void LibraryStoreFixture::SetUp()
{
    m_folder = TestEnvironment::home() + QLatin1Char('/') + m_folderPrefix + QUuid::createUuid().toString(QUuid::Id128);
    QDir().mkpath(m_folder);
    m_db = std::make_unique<DataBaseManager>(m_folder);
    ASSERT_TRUE(m_db->loadDataBase());
    m_thumbnails = std::make_unique<ThumbnailServerWraper>(false);
    UserDefaults::standard().setString(QStringLiteral("SortByKey"), QStringLiteral("Name"));
    UserDefaults::standard().setString(QStringLiteral("SortByOrder"), QStringLiteral("Ascending"));
}

void LibraryStoreFixture::TearDown()
{
    m_thumbnails.reset();
    m_db.reset();
}
