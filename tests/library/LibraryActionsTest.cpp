#include "downloads/DataBaseManager.h"
#include "downloads/DownloadNode.h"
#include "library/ITunesHelper.h"
#include "library/LibraryDelete.h"
#include "library/LibraryItemStatistics.h"
#include "library/LibraryMenuRules.h"
#include "library/LibraryRename.h"
#include "library/OneModeConvertSetting.h"
#include "converter/OneModeOutputNames.h"
#include "library/iTunesAppInterface.h"
#include "converter/EncFormatMgr.h"
#include "outside/kelvra/QVHPHelper.h"
#include "platform/UserDefaults.h"
#include "support/TestEnvironment.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

void touch(const QString &path, const QByteArray &bytes = "x")
{
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

std::shared_ptr<DownloadedItem> itemAt(const QString &path, const QString &page = QStringLiteral("https://example.org/v"))
{
    auto item = std::make_shared<DownloadedItem>();
    item->setFilePath(path);
    item->setPageURL(page);
    return item;
}

QStringList filesIn(const QString &folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Hidden, QDir::Name);
}

// The home Trash refuses everything while this lives: a plain file stands where its folder goes.
class BrokenTrash
{
public:
    BrokenTrash()
        : m_trash(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/Trash"))
    {
        QDir(m_trash).removeRecursively();
        QDir().mkpath(QFileInfo(m_trash).path());
        QFile f(m_trash);
        f.open(QIODevice::WriteOnly);
    }
    ~BrokenTrash() { QFile::remove(m_trash); }

private:
    QString m_trash;
};

} // namespace

// ---- Rename ----------------------------------------------------------------------------------

TEST(LibraryRename, NameRulesAndOutcomes)
{
    QTemporaryDir dir;
    const QString clip = dir.filePath(QStringLiteral("Clip.mp4"));
    const QString other = dir.filePath(QStringLiteral("Other.mp4"));
    const QString inLibraryOnly = dir.filePath(QStringLiteral("Gone.mp4"));
    const QString longName(250, QLatin1Char('a'));
    const struct
    {
        QString text;
        LibraryRename::Outcome outcome;
        QString expectedPath; // where the file is afterwards
    } cases[] = {
        {longName, LibraryRename::Outcome::Renamed, dir.filePath(QString(200, QLatin1Char('a')) + QStringLiteral(".mp4"))},
        {QStringLiteral("   "), LibraryRename::Outcome::Blank, clip},
        {QString(), LibraryRename::Outcome::Blank, clip},
        {QStringLiteral("a/b"), LibraryRename::Outcome::InvalidName, clip},
        {QStringLiteral("what?"), LibraryRename::Outcome::InvalidName, clip},
        {QStringLiteral("x:y"), LibraryRename::Outcome::InvalidName, clip},
        {QStringLiteral("Clip"), LibraryRename::Outcome::Unchanged, clip},
        {QStringLiteral("clip"), LibraryRename::Outcome::Renamed, dir.filePath(QStringLiteral("clip.mp4"))},
        {QStringLiteral("Other"), LibraryRename::Outcome::NameTaken, clip},
        {QStringLiteral("Gone"), LibraryRename::Outcome::NameTaken, clip},
        {QStringLiteral("New name"), LibraryRename::Outcome::Renamed, dir.filePath(QStringLiteral("New name.mp4"))},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.text.left(20).toStdString());
        for (const QString &name : filesIn(dir.path()))
            QFile::remove(dir.filePath(name));
        touch(clip, "clip");
        touch(other, "other");
        const auto inLibrary = [&](const QString &path) { return path == inLibraryOnly; };
        const auto r = LibraryRename::renameFile(clip, QStringLiteral("mp4"), c.text, inLibrary);
        EXPECT_EQ(r.outcome, c.outcome);
        if (c.outcome == LibraryRename::Outcome::Renamed)
            EXPECT_EQ(r.newPath, c.expectedPath);
        else
            EXPECT_TRUE(r.newPath.isEmpty());
        QFile f(c.expectedPath);
        ASSERT_TRUE(f.open(QIODevice::ReadOnly));
        EXPECT_EQ(f.readAll(), QByteArray("clip"));
        EXPECT_EQ(filesIn(dir.path()).size(), 2) << "no stray temporary file";
        EXPECT_TRUE(QFileInfo::exists(other));
    }
}

TEST(LibraryRename, CaseOnlyRenameThatFailsHalfWayRollsBack)
{
    QTemporaryDir dir;
    const QString clip = dir.filePath(QStringLiteral("Clip.mp4"));
    touch(clip, "clip");
    int calls = 0;
    // The first step (aside to a temporary name) works, the second refuses, the way back works.
    const LibraryRename::Mover flaky = [&](const QString &from, const QString &to) {
        ++calls;
        return calls == 2 ? false : QFile::rename(from, to);
    };
    const auto r = LibraryRename::renameFile(clip, QStringLiteral("mp4"), QStringLiteral("clip"), {}, flaky);
    EXPECT_EQ(r.outcome, LibraryRename::Outcome::MoveFailed);
    EXPECT_TRUE(r.newPath.isEmpty());
    EXPECT_FALSE(r.error.isEmpty());
    EXPECT_EQ(calls, 3);
    EXPECT_EQ(filesIn(dir.path()), QStringList{QStringLiteral("Clip.mp4")});
    EXPECT_FALSE(LibraryRename::warningText(r).isEmpty());

    // A plain rename that fails leaves the file and reports no path.
    const auto refused = LibraryRename::renameFile(clip, QStringLiteral("mp4"), QStringLiteral("Else"), {},
                                                   [](const QString &, const QString &) { return false; });
    EXPECT_EQ(refused.outcome, LibraryRename::Outcome::MoveFailed);
    EXPECT_TRUE(refused.newPath.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(clip));
}

TEST(LibraryRename, CaseTwinThatIsAnotherFileIsTaken)
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("Clip.mp4")), "one");
    touch(dir.filePath(QStringLiteral("clip.mp4")), "two");
    const auto r = LibraryRename::renameFile(dir.filePath(QStringLiteral("Clip.mp4")), QStringLiteral("mp4"),
                                             QStringLiteral("clip"), {});
    EXPECT_EQ(r.outcome, LibraryRename::Outcome::NameTaken);
    QFile f(dir.filePath(QStringLiteral("clip.mp4")));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), QByteArray("two"));
}

// ---- Delete ----------------------------------------------------------------------------------

namespace {

struct LibraryFixture
{
    QTemporaryDir dir;
    std::unique_ptr<DataBaseManager> db;
    QList<DownloadNode::Ptr> nodes;
    DownloadNode::Ptr group;
    DownloadNode::Ptr header, second, third, single;

    LibraryFixture()
    {
        db = std::make_unique<DataBaseManager>(dir.filePath(QStringLiteral("lib")));
        db->loadDataBase();
        group = DownloadNode::create(nullptr, QStringLiteral("List"), QStringLiteral("PL"));
        auto make = [&](const QString &name, bool inList, int index) {
            auto item = itemAt(dir.filePath(name + QStringLiteral(".mp4")));
            touch(item->filePath());
            touch(dir.filePath(name + QStringLiteral(".srt")));
            item->setSubtitlePath(dir.filePath(name + QStringLiteral(".srt")));
            item->setPlaylistIndex(index);
            db->insertDownloadedItem(*item);
            auto node = inList ? DownloadNode::create(item, QStringLiteral("List"), QStringLiteral("PL"))
                               : DownloadNode::create(item);
            if (inList)
                group->addChildrenNode(node);
            nodes.append(node);
            return node;
        };
        header = make(QStringLiteral("a"), true, 1);
        second = make(QStringLiteral("b"), true, 2);
        third = make(QStringLiteral("c"), true, 3);
        single = make(QStringLiteral("d"), false, 0);
        header->setIsPlaylistNode(true);
        group->setDisplayNodeArray({second, third});
    }
    int rows() { return int(db->getAllDownloadedItems().value_or(QList<std::shared_ptr<DownloadedItem>>{}).size()); }
};

} // namespace

TEST(LibraryDelete, CheckBoxAndPlaylistHeaders)
{
    const struct
    {
        const char *name;
        bool expanded;
        int answer;
        int removed;
        bool filesGone;
    } cases[] = {
        {"collapsed, list only", false, LibraryDelete::Delete, 3, false},
        {"collapsed, with files", false, LibraryDelete::DeleteWithFiles, 3, true},
        {"expanded, list only", true, LibraryDelete::Delete, 1, false},
        {"expanded, with files", true, LibraryDelete::DeleteWithFiles, 1, true},
        {"cancel", false, LibraryDelete::Cancel, 0, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        LibraryFixture f;
        f.group->setIsExtend(c.expanded);
        const auto report = LibraryDelete::deleteRows({f.header}, c.answer, *f.db, f.nodes);
        EXPECT_EQ(report.removed.size(), c.removed);
        EXPECT_EQ(f.rows(), 4 - c.removed);
        EXPECT_EQ(f.nodes.size(), 4 - c.removed);
        EXPECT_TRUE(report.keptFiles.isEmpty());
        for (const auto &node : report.removed) {
            EXPECT_EQ(QFileInfo::exists(node->downloadItem()->filePath()), !c.filesGone);
            EXPECT_EQ(QFileInfo::exists(node->downloadItem()->storedSubtitlePath()), !c.filesGone);
            EXPECT_FALSE(f.group->childrenNode().contains(node));
        }
        EXPECT_TRUE(QFileInfo::exists(f.single->downloadItem()->filePath()));
    }
}

TEST(LibraryDelete, BusyItemsStayAndUntrashableFilesAreReported)
{
    LibraryFixture f;
    f.second->downloadItem()->setStatus(DownloadedItem::StatusMarkedForConvert);
    f.group->setIsExtend(false);
    {
        BrokenTrash broken;
        const auto report = LibraryDelete::deleteRows({f.header}, LibraryDelete::DeleteWithFiles, *f.db, f.nodes);
        EXPECT_EQ(report.skippedBusy, 1);
        EXPECT_EQ(report.removed.size(), 2);
        // Both files of both removed items stayed where they were, and the user hears of them.
        EXPECT_EQ(report.keptFiles.size(), 4);
        for (const QString &path : report.keptFiles)
            EXPECT_TRUE(QFileInfo::exists(path)) << path.toStdString();
        EXPECT_FALSE(LibraryDelete::keptFilesText(report.keptFiles).isEmpty());
    }
    EXPECT_TRUE(f.nodes.contains(f.second));
}

TEST(LibraryDelete, SegmentsGoButTheirFolderStays)
{
    QTemporaryDir dir;
    const QString folder = dir.filePath(QStringLiteral("Downloading"));
    const QStringList mine = {folder + QStringLiteral("/t1-0.ts"), folder + QStringLiteral("/t1-1.ts")};
    const QString neighbour = folder + QStringLiteral("/t2-0.ts");
    for (const QString &p : mine + QStringList{neighbour})
        touch(p);
    EXPECT_TRUE(LibraryDelete::deleteAllVideoSegment(mine + QStringList{folder}).isEmpty());
    EXPECT_TRUE(QFileInfo(folder).isDir());
    EXPECT_TRUE(QFileInfo::exists(neighbour));
    for (const QString &p : mine)
        EXPECT_FALSE(QFileInfo::exists(p));

    touch(mine[0]);
    BrokenTrash broken;
    EXPECT_EQ(LibraryDelete::deleteAllVideoSegment({mine[0]}), QStringList{mine[0]});
    EXPECT_TRUE(QFileInfo::exists(mine[0]));
}

// ---- Menu ------------------------------------------------------------------------------------

TEST(LibraryMenuRules, EnablingTable)
{
    using A = LibraryMenuRules::Action;
    LibraryFixture f;
    const QList<DownloadNode::Ptr> rows = {f.header, f.single};
    auto missing = itemAt(f.dir.filePath(QStringLiteral("missing.mp4")), QStringLiteral("file:///etc/passwd"));
    const auto missingRow = DownloadNode::create(missing);
    const struct
    {
        const char *name;
        QList<DownloadNode::Ptr> rows;
        QList<int> selected;
        std::function<void()> setup;
        QMap<A, bool> expected;
    } cases[] = {
        {"empty table", {}, {}, nullptr,
         {{A::Delete, false}, {A::DeleteAll, false}, {A::CollateFile, false}, {A::Play, false}}},
        {"one plain row", rows, {1}, nullptr,
         {{A::Rename, true}, {A::CopyURL, true}, {A::GoToSourcePage, true}, {A::ShowInFinder, true}, {A::Delete, true},
          {A::DeleteAll, true}, {A::ExpandPlaylist, false}, {A::CollapsePlaylist, false}, {A::AddToConvert, true}}},
        {"collapsed header", rows, {0}, [&] { f.group->setIsExtend(false); },
         {{A::Rename, false}, {A::ExpandPlaylist, true}, {A::CollapsePlaylist, false}}},
        {"expanded header", rows, {0}, [&] { f.group->setIsExtend(true); },
         {{A::Rename, true}, {A::ExpandPlaylist, false}, {A::CollapsePlaylist, true}}},
        {"two rows", rows, {0, 1}, nullptr,
         {{A::Rename, false}, {A::CopyURL, false}, {A::GoToSourcePage, false}, {A::ShowInFinder, false},
          {A::Delete, true}, {A::Play, true}}},
        {"busy selected", rows, {1}, [&] { f.single->downloadItem()->setStatus(1); },
         {{A::Delete, false}, {A::DeleteAll, false}, {A::Rename, false}}},
        {"busy elsewhere", rows, {0}, [&] { f.single->downloadItem()->setStatus(1); },
         {{A::Delete, true}, {A::DeleteAll, false}}},
        {"converting item", rows, {1}, [&] { f.single->downloadItem()->setTaskStatus(DownloadedItem::TaskRunning); },
         {{A::AddToConvert, false}, {A::AddToTransfer, false}}},
        {"file gone, not a web page", {missingRow}, {0}, nullptr,
         {{A::AddToConvert, false}, {A::AddToTransfer, false}, {A::GoToSourcePage, false}, {A::CopyURL, true}}},
        {"no selection", rows, {}, nullptr, {{A::Rename, false}, {A::Delete, false}, {A::DeleteAll, true}}},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        f.single->downloadItem()->setStatus(0);
        f.single->downloadItem()->setTaskStatus(0);
        if (c.setup)
            c.setup();
        LibraryMenuRules::Selection s{c.rows, c.selected, true};
        for (auto it = c.expected.begin(); it != c.expected.end(); ++it)
            EXPECT_EQ(LibraryMenuRules::isEnabled(it.key(), s), it.value()) << int(it.key());
    }
}

TEST(LibraryMenuRules, SourcePageOnlyForWebAddresses)
{
    const struct
    {
        const char *page;
        const char *opened; // nullptr: refused
    } cases[] = {
        {"https://example.org/watch?v=1", "https://example.org/watch?v=1"},
        {"http://example.org/a b", "http://example.org/a%20b"},
        {"HTTP://Example.org/x", "http://example.org/x"},
        {"file:///home/user/.ssh/id_rsa", nullptr},
        {"javascript:alert(1)", nullptr},
        {"smb://host/share", nullptr},
        {"/local/path.mp4", nullptr},
        {"", nullptr},
        {"https://", nullptr},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.page);
        const auto url = LibraryMenuRules::sourcePageUrl(QString::fromUtf8(c.page));
        if (!c.opened) {
            EXPECT_FALSE(url.has_value());
        } else {
            ASSERT_TRUE(url.has_value());
            EXPECT_EQ(url->toString(QUrl::FullyEncoded), QString::fromUtf8(c.opened));
        }
    }
}

// ---- Download then convert: output names and the stored choice ------------------------------

namespace {

const char *PresetFile = R"(<?xml version="1.0" encoding="UTF-8"?>
<FormatList defaultFormat="MP4" defaultAudioFormat="MP3">
  <category id="1" title="General" pixId="catVideo"/>
  <Format id="10" categoryid="1" Ext="mp3" FourCC="mp3" DisableVideo="YES"><Title>MP3</Title></Format>
  <Format id="11" categoryid="1" Ext="mp4" FourCC="mp4"><Title>MP4</Title></Format>
  <Format id="12" categoryid="1" Ext="" FourCC="mp4"><Title>Raw</Title></Format>
  <Format id="13" categoryid="1" Ext="m4v" FourCC="mp4"><Title>MPEG-4/H.264 ../x</Title></Format>
</FormatList>
)";

} // namespace

TEST(OneModeOutputNames, NamesTableAndReservations)
{
    QTemporaryDir dir;
    touch(dir.filePath(QStringLiteral("Format.std")), PresetFile);
    auto catalogue = EncFormatMgr::initWithFile(dir.filePath(QStringLiteral("Format.std")), dir.filePath(QStringLiteral("Custom.pro")));
    ASSERT_TRUE(catalogue);
    ASSERT_TRUE(catalogue->formatItemForID(10));
    const QString F = dir.filePath(QStringLiteral("F"));
    OneModeOutputNames names(catalogue.get());
    const struct
    {
        const char *source;
        int formatID;
        QSizeF size;
        const char *first;
        const char *second; // with the first name taken
    } cases[] = {
        {"song.webm", 10, {0, 0}, "song_MP3.mp3", "song(1)_MP3.mp3"},
        {"clip.flv", 11, {1280, 720.9}, "clip_1280x720_MP4.mp4", "clip_1280x720(1)_MP4.mp4"},
        {"raw.mov", 12, {320, 240}, "raw_320x240_Raw.mp4", "raw_320x240(1)_Raw.mp4"},
        {"x.mp4", 13, {640, 480}, "x_640x480_MPEG-4-H.264 ..-x.m4v", "x_640x480(1)_MPEG-4-H.264 ..-x.m4v"},
        {"odd %1 %2.mp4", 10, {0, 0}, "odd %1 %2_MP3.mp3", "odd %1 %2(1)_MP3.mp3"},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.source);
        const QString source = F + QLatin1Char('/') + QString::fromUtf8(c.source);
        // The first name is taken on disk; the next is only reserved, never created.
        const QString onDisk = F + QLatin1Char('/') + QString::fromUtf8(c.first);
        const QString first = names.targetFilePathWith(source, c.size, c.formatID);
        EXPECT_EQ(first, onDisk);
        EXPECT_TRUE(QFileInfo(F).isDir());
        EXPECT_FALSE(QFileInfo::exists(first));
        // A second source with the same base name (another extension) gets its own name.
        const QString second = names.targetFilePathWith(F + QLatin1Char('/') + QFileInfo(source).completeBaseName()
                                                            + QStringLiteral(".other"),
                                                        c.size, c.formatID);
        EXPECT_EQ(second, F + QLatin1Char('/') + QString::fromUtf8(c.second));
        EXPECT_EQ(QFileInfo(second).path(), F) << "no folder from the title";
        OneModeOutputNames::release(first);
        touch(first);
        EXPECT_EQ(names.targetFilePathWith(source, c.size, c.formatID),
                  F + QLatin1Char('/') + QFileInfo(QString::fromUtf8(c.second)).completeBaseName().replace(QStringLiteral("(1)"), QStringLiteral("(2)"))
                      + QLatin1Char('.') + QFileInfo(second).suffix());
    }
    EXPECT_TRUE(names.targetFilePathWith(QString(), {}, 10).isEmpty());
}

TEST(OneModeConvertSetting, StoredChoiceIsChecked)
{
    const QByteArray block = EncodeParamData::toData(EncodeParamData::zeroed());
    const struct
    {
        const char *name;
        QVariantMap dictionary;
        bool accepted;
    } cases[] = {
        {"whole", {{"FormatTitle", "MP3"}, {"formatID", 10}, {"encParam", block}, {"isExportToItunes", true}}, true},
        {"longer block", {{"formatID", 10}, {"encParam", block + QByteArray(16, 'z')}}, true},
        {"short block", {{"formatID", 10}, {"encParam", block.left(70479)}}, false},
        {"tiny block", {{"formatID", 10}, {"encParam", QByteArray("abc")}}, false},
        {"text instead of data", {{"formatID", 10}, {"encParam", QString(70480, QLatin1Char('a'))}}, false},
        {"no block", {{"formatID", 10}}, false},
        {"no preset", {{"encParam", block}}, false},
        {"nothing stored", {}, false},
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        QString error;
        const auto s = OneModeConvertSetting::fromDictionary(c.dictionary, &error);
        EXPECT_EQ(s.has_value(), c.accepted);
        EXPECT_EQ(error.isEmpty(), c.accepted);
        if (s) {
            EXPECT_EQ(s->encParam.size(), 70480);
        }
    }

    // Through the user's settings file and back, as the download page stores it.
    UserDefaults defaults(TestEnvironment::home() + QStringLiteral("/onemode.ini"));
    EXPECT_FALSE(OneModeConvertSetting::isDownAndConvertOneMode(defaults));
    defaults.setObject(QStringLiteral("OneModeConvertSetingParam"),
                       QVariantMap{{"FormatTitle", "MP3"}, {"formatID", 10}, {"encParam", block}, {"isMergeSubtitle", "YES"}});
    defaults.setBool(QStringLiteral("values.DownAndConvertOneMode"), true);
    defaults.synchronize();
    UserDefaults again(defaults.filePath());
    const auto stored = OneModeConvertSetting::readStored(again);
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->formatID, 10);
    EXPECT_EQ(stored->formatTitle, QStringLiteral("MP3"));
    EXPECT_TRUE(stored->isMergeSubtitle);
    EXPECT_FALSE(stored->isExportToItunes);
    EXPECT_TRUE(OneModeConvertSetting::isDownAndConvertOneMode(again));
}

// ---- Music library hand-off ------------------------------------------------------------------

TEST(ITunesHelper, NamedPlaylistsAsM3u8Files)
{
    QTemporaryDir dir;
    const QString music = dir.filePath(QStringLiteral("Music"));
    ITunesHelper helper(music);
    EXPECT_EQ(ITunesHelper::DevicePlatform, 64);
    EXPECT_TRUE(helper.getPlaylist().isEmpty());

    // A name no play list has creates exactly one, and asking again finds it.
    const QString videos = helper.playlistIDForName(QStringLiteral("iQuenmark Orrisca Studio Videos"));
    ASSERT_FALSE(videos.isEmpty());
    EXPECT_EQ(helper.getPlaylist().size(), 1);
    EXPECT_EQ(helper.playlistIDForName(QStringLiteral("iQuenmark Orrisca Studio Videos")), videos);
    EXPECT_TRUE(QFileInfo::exists(music + QStringLiteral("/iQuenmark Orrisca Studio Videos.m3u8")));

    // Two play lists of one name: the one listed last answers.
    const QString twin = helper.addPlaylist(QStringLiteral("iQuenmark Orrisca Studio Videos"));
    EXPECT_NE(twin, videos);
    EXPECT_EQ(helper.playlistIDForName(QStringLiteral("iQuenmark Orrisca Studio Videos")), twin);

    // A hostile name stays inside the music folder.
    const QString hostile = helper.addPlaylist(QStringLiteral("../../etc/evil"));
    ASSERT_FALSE(hostile.isEmpty());
    EXPECT_TRUE(helper.isPlaylistExist(QStringLiteral("../../etc/evil")));
    EXPECT_FALSE(QFileInfo::exists(dir.filePath(QStringLiteral("etc"))));
    EXPECT_TRUE(helper.addPlaylist(QStringLiteral("two\nlines")).isEmpty());
    EXPECT_TRUE(helper.error());

    // Adding copies the file into the folder and lists it; a missing file is refused.
    const QString song = dir.filePath(QStringLiteral("song.mp3"));
    touch(song, "ID3");
    const QString item = helper.addFile(song, videos);
    ASSERT_FALSE(item.isEmpty());
    EXPECT_FALSE(helper.error());
    EXPECT_EQ(helper.getFilePathWithID(item), music + QStringLiteral("/song.mp3"));
    EXPECT_TRUE(helper.fileIsExistInPlaylist(item, videos));
    EXPECT_FALSE(helper.fileIsExistInPlaylist(item, twin));
    QFile list(music + QStringLiteral("/iQuenmark Orrisca Studio Videos.m3u8"));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(list.readAll());
    EXPECT_TRUE(text.startsWith(QStringLiteral("#EXTM3U\n")));
    EXPECT_TRUE(text.contains(music + QStringLiteral("/song.mp3\n")));
    EXPECT_TRUE(helper.addFile(dir.filePath(QStringLiteral("none.mp3")), videos).isEmpty());
    EXPECT_TRUE(helper.error());
    EXPECT_TRUE(helper.addFile(song, QStringLiteral("NOSUCHLIST")).isEmpty());

    // The same file again gets a free name; removal and renaming keep the file format.
    const QString again = helper.addFilesToMainPlaylistWithPath(song);
    EXPECT_EQ(helper.getFilePathWithID(again), music + QStringLiteral("/song(1).mp3"));
    EXPECT_TRUE(helper.removeFile(item, videos));
    EXPECT_FALSE(helper.fileIsExistInPlaylist(item, videos));
    EXPECT_TRUE(helper.renamePlaylist(videos, QStringLiteral("Renamed")));
    EXPECT_TRUE(helper.isPlaylistExist(QStringLiteral("Renamed")));
    EXPECT_TRUE(helper.removePlaylist(videos));
    EXPECT_FALSE(helper.isPlaylistExist(QStringLiteral("Renamed")));

    // The shared interface adds to the library only when no play list is given.
    iTunesAppInterface &app = iTunesAppInterface::shareInstanse();
    app.setMusicFolder(music);
    const QVariantMap track = app.addFileToPlaylist(song);
    EXPECT_EQ(track.value(QStringLiteral("item_path")).toString(), music + QStringLiteral("/song(2).mp3"));
    EXPECT_EQ(app.userPlaylists().size(), helper.getPlaylist().size());
    EXPECT_TRUE(app.addFileToPlaylist(dir.filePath(QStringLiteral("none.mp3"))).isEmpty());
    EXPECT_EQ(app.playlistWithPersistentID(twin).value(QStringLiteral("playlist_persistent_id")).toString(), twin);
    app.setMusicFolder(QString());
    EXPECT_EQ(app.musicFolder(), QStandardPaths::writableLocation(QStandardPaths::MusicLocation));
}

TEST(LibraryItemStatistics, BucketsFromTheProgramsTables)
{
    const LibraryItemStatistics stats;  // the tables compiled into the program
    const struct
    {
        qint64 seconds;
        const char *key;
    } lengths[] = {
        {0, ""},  // not read yet: not counted
        {1, "Id_Vid_Length_half"},
        {30, "Id_Vid_Length_half"},
        {31, "Id_Vid_Length_1"},
        {60, "Id_Vid_Length_1"},
        {61, "Id_Vid_Length_3"},
        {3600, "Id_Vid_Length_60"},
        {3601, "Id_Vid_Length_60more"},
    };
    for (const auto &c : lengths)
        EXPECT_EQ(stats.lengthKey(c.seconds), QString::fromLatin1(c.key)) << c.seconds;

    const qint64 mb = qint64(1) << 20;
    const struct
    {
        qint64 bytes;
        const char *key;
    } sizes[] = {
        {0, ""}, {1, "Id_Vid_Size_10"}, {10 * mb, "Id_Vid_Size_10"}, {10 * mb + 1, "Id_Vid_Size_50"},
        {300 * mb, "Id_Vid_Size_300"}, {300 * mb + 1, "Id_Vid_Size_300more"},
    };
    for (const auto &c : sizes)
        EXPECT_EQ(stats.sizeKey(c.bytes), QString::fromLatin1(c.key)) << c.bytes;

    EXPECT_EQ(LibraryItemStatistics::formatKey("MP4"), "Id_Vid_Format_MP4");
    EXPECT_EQ(LibraryItemStatistics::formatKey("webm"), "Id_Vid_Format_WEBM");
    EXPECT_EQ(LibraryItemStatistics::formatKey("mkv"), "");
    EXPECT_EQ(stats.resolutionKey(720), "Id_Vid_Resolution_720P");
    EXPECT_EQ(stats.resolutionKey(2160), "Id_Vid_Resolution_4K");
    EXPECT_EQ(stats.resolutionKey(0), "");
}

TEST(LibraryItemStatistics, AFinishedItemCountsOncePerGroupAndFormatsTheClientKnows)
{
    // A fractional second entry and a table of our own.
    const LibraryItemStatistics stats({0, 0.25, 2}, {0, 5}, {{"1080p", "R1080"}, {"4K", "R4K"}});
    EXPECT_EQ(stats.lengthKey(15), "Id_Vid_Length_half");
    EXPECT_EQ(stats.lengthKey(16), "Id_Vid_Length_2");
    EXPECT_EQ(stats.resolutionKey(480), "") << "a resolution the table leaves out is not counted";

    FileInfoItem item;
    item.setFilePath(QStringLiteral("/videos/Clip.FLV"));
    item.setTime(100);
    item.setVideoSize(3 << 20);
    item.setResolution(1080);
    using C = LibraryItemStatistics::Count;
    EXPECT_EQ(stats.countsFor(item), (QList<C>{{"Id_Vid_Length", "Id_Vid_Length_2", true},
                                               {"Id_Vid_Size", "Id_Vid_Size_5", true},
                                               {"Id_Vid_Format", "Id_Vid_Format_FLV", false},
                                               {"Id_Vid_Resolution", "R1080", true}}));
    QVHPHelper helper{QString()};
    stats.collect(item, helper);
    EXPECT_EQ(helper.count("Id_Vid_Format", "Id_Vid_Format_FLV"), 1);
    EXPECT_EQ(helper.count("Id_Vid_Resolution", "R1080"), 1);

    // Nothing known yet: only the format.
    FileInfoItem unread;
    unread.setFilePath(QStringLiteral("/videos/a.mp4"));
    EXPECT_EQ(stats.countsFor(unread), (QList<C>{{"Id_Vid_Format", "Id_Vid_Format_MP4", false}}));
}

