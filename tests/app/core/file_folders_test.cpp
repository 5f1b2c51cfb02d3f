#include "app/core/file_folders.h"

#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace vt640 {
namespace {

using Kind = FileFolders::Kind;

TEST(FileFolders, StartWhereTheProgramStartedOrInDocumentsForTheMenusFolder)
{
    QTemporaryDir tmp;
    const QString own = tmp.filePath("data/vt640");
    const QString docs = tmp.filePath("Documents");
    const QString home = tmp.filePath("home");
    ASSERT_TRUE(QDir().mkpath(own));
    ASSERT_TRUE(QDir().mkpath(docs));

    // From a terminal: the folder it was started in, for every kind.
    const FileFolders terminal(tmp.filePath("work"), own, docs, home);
    for (Kind k : {Kind::LoggerFiles, Kind::Text, Kind::Pictures})
        EXPECT_EQ(terminal.folderFor(k), tmp.filePath("work"));

    // From the menu (started in its own folder, by any spelling of it): the
    // documents, or home where there are none.
    EXPECT_EQ(FileFolders(own, own, docs, home).folderFor(Kind::LoggerFiles), docs);
    EXPECT_EQ(FileFolders(own + "/../vt640/", own, docs, home).folderFor(Kind::Text), docs);
    EXPECT_EQ(FileFolders(own, own, QString(), home).folderFor(Kind::Pictures), home);
    EXPECT_EQ(FileFolders(own, own, tmp.filePath("no-such"), home).folderFor(Kind::Pictures), home);
}

TEST(FileFolders, EachKindComesBackToTheFolderLastChosenForIt)
{
    FileFolders folders("/start", "/own", "/docs", "/home");
    folders.chosen(Kind::LoggerFiles, "/logs/mains.640");
    folders.chosen(Kind::Pictures, "/pictures/page.emf");
    EXPECT_EQ(folders.folderFor(Kind::LoggerFiles), "/logs");
    EXPECT_EQ(folders.folderFor(Kind::Pictures), "/pictures");
    EXPECT_EQ(folders.folderFor(Kind::Text), "/start");
    folders.chosen(Kind::Text, QString()); // a cancelled dialog changes nothing
    EXPECT_EQ(folders.folderFor(Kind::Text), "/start");
}

} // namespace
} // namespace vt640
