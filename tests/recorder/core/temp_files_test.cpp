// The temporary files of logging runs: each run's own file under the next
// free number, kept on disk record by record, catching up after failed
// writes, locked while in use; and the files a crashed run left behind.
#include "recorder/core/left_temp_files.h"
#include "recorder/core/recorder_core.h"
#include "recorder/core/temp_file_appender.h"
#include "recorder/core/temp_store.h"
#include "support/test_readings.h"
#include "support/file_size_limit.h"

#include <gtest/gtest.h>

#include <cerrno>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vt640;
using vt640::test::FakeClock;
using vt640::test::makeReading;
using vt640::test::volts;

namespace {

QByteArray fileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray recordBytes(const RecordBuffer& b, int from, int to)
{
    return QByteArray(reinterpret_cast<const char*>(b.data() + from), static_cast<qsizetype>(to - from) * 128);
}

void writeBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

// Whether some other open file holds the lock of `path`.
bool lockedByAnother(const QString& path)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    const bool locked = ::flock(fd, LOCK_EX | LOCK_NB) != 0;
    ::close(fd);
    return locked;
}

class TempFilesTest : public ::testing::Test {
protected:
    QString tmp(const QString& name) const { return dir.filePath(name); }
    QString tmp(int n) const { return dir.filePath(QStringLiteral("~KRMDL%1.TMP").arg(n)); }
    std::string folder() const { return QFile::encodeName(dir.path()).toStdString(); }

    QTemporaryDir dir;
    FakeClock clock;
};

} // namespace

TEST_F(TempFilesTest, EachRunHasItsFileOfExactlyItsRecordsRemovedAtTheEnd)
{
    {
        RecorderCore core(clock);
        core.logOneRecord(volts(1)); // manual: no file
        ASSERT_TRUE(core.openTempFile(folder()));
        EXPECT_EQ(QString::fromStdString(core.tempStore().currentPath()), tmp(1));
        EXPECT_TRUE(lockedByAnother(tmp(1)));
        for (int i = 0; i < 3; ++i)
            core.logOneRecord(volts(10 + i));
        core.closeTempFile();
        core.logOneRecord(volts(99)); // between runs
        ASSERT_TRUE(core.openTempFile(folder()));
        core.logOneRecord(volts(20));
        core.logOneRecord(makeReading("SHrt", "0", 4)); // no record, nothing written
        core.logOneRecord(volts(21));
        core.closeTempFile();

        EXPECT_EQ(fileBytes(tmp(1)), recordBytes(core.buffer(), 1, 4));
        EXPECT_EQ(fileBytes(tmp(2)), recordBytes(core.buffer(), 5, 7));
        EXPECT_EQ(core.tempStore().counter(), 2);
        // Ended runs stay locked until the files go, so that another
        // instance does not take them for a crashed run's.
        EXPECT_TRUE(lockedByAnother(tmp(1)));
    }
    EXPECT_FALSE(QFileInfo::exists(tmp(1)));
    EXPECT_FALSE(QFileInfo::exists(tmp(2)));
}

TEST_F(TempFilesTest, TakenNamesAreSkippedAndLeftAsTheyAre)
{
    writeBytes(tmp("victim.txt"), "keep me");
    ASSERT_TRUE(QFile::link(tmp("victim.txt"), tmp(1))); // a planted link
    writeBytes(tmp(2), QByteArray(1000, 'z'));           // a crashed run's file
    {
        RecorderCore first(clock);
        RecorderCore second(clock); // another instance in the same folder
        ASSERT_TRUE(first.openTempFile(folder()));
        ASSERT_TRUE(second.openTempFile(folder()));
        EXPECT_EQ(QString::fromStdString(first.tempStore().currentPath()), tmp(3));
        EXPECT_EQ(QString::fromStdString(second.tempStore().currentPath()), tmp(4));
        first.logOneRecord(volts(1));
        second.logOneRecord(volts(2));
        first.closeTempFile();
        second.closeTempFile();
        EXPECT_EQ(fileBytes(tmp(3)), recordBytes(first.buffer(), 0, 1));
        EXPECT_EQ(fileBytes(tmp(4)), recordBytes(second.buffer(), 0, 1));
    }
    EXPECT_TRUE(QFileInfo(tmp(1)).isSymLink());
    EXPECT_EQ(fileBytes(tmp("victim.txt")), "keep me");
    EXPECT_EQ(fileBytes(tmp(2)), QByteArray(1000, 'z'));
    EXPECT_FALSE(QFileInfo::exists(tmp(3)));
    EXPECT_FALSE(QFileInfo::exists(tmp(4)));
}

TEST_F(TempFilesTest, AFileThatIsNoLongerOursIsNotRemoved)
{
    TempStore store;
    ASSERT_TRUE(store.openNext(folder()));
    store.close();
    // Someone moves ours away and puts a file of theirs at the name.
    ASSERT_TRUE(QFile::rename(tmp(1), tmp("moved.TMP")));
    writeBytes(tmp(1), "theirs");
    store.removeAll();
    EXPECT_EQ(fileBytes(tmp(1)), "theirs");
    EXPECT_TRUE(QFileInfo::exists(tmp("moved.TMP")));
}

TEST_F(TempFilesTest, UncreatableFileFails)
{
    TempStore store;
    EXPECT_FALSE(store.openNext(folder() + "/no/such/folder"));
    EXPECT_FALSE(store.isOpen());
    EXPECT_TRUE(store.paths().empty());
}

TEST_F(TempFilesTest, FailedWritesAreToldOnceAndTheFileCatchesUpFromTheBuffer)
{
    RecorderCore core(clock);
    core.logOneRecord(volts(-1)); // before the run: not in the file
    ASSERT_TRUE(core.openTempFile(folder()));
    std::vector<bool> told;
    {
        // Room for two records: from the third on writing fails, as on a
        // full disk.
        test::FileSizeLimit limit(2 * 128);
        ASSERT_TRUE(limit.ok());
        for (int i = 0; i < 5; ++i) {
            const auto logged = core.logOneRecord(volts(i));
            ASSERT_TRUE(logged);
            told.push_back(logged->tempFileFailed);
        }
        EXPECT_FALSE(core.tickTempFile()); // still failing, not told again
    }
    EXPECT_EQ(told, (std::vector<bool>{false, false, true, false, false}));
    EXPECT_EQ(core.buffer().size(), 6); // every record is in the buffer
    EXPECT_EQ(fileBytes(tmp(1)), recordBytes(core.buffer(), 1, 3));

    // Writing works again: the clock tick brings the file up to date even
    // before the next record comes.
    EXPECT_FALSE(core.tickTempFile());
    EXPECT_EQ(fileBytes(tmp(1)), recordBytes(core.buffer(), 1, 6));
    core.logOneRecord(volts(5));
    EXPECT_EQ(fileBytes(tmp(1)), recordBytes(core.buffer(), 1, 7));

    // A new failure after catching up is told again.
    {
        test::FileSizeLimit limit(6 * 128);
        EXPECT_TRUE(core.logOneRecord(volts(6))->tempFileFailed);
    }
    core.closeTempFile(); // the last catch-up on the way out
    EXPECT_EQ(fileBytes(tmp(1)), recordBytes(core.buffer(), 1, 8));
}

TEST_F(TempFilesTest, AppenderLocksFlushesAndNeverOpensAnExistingName)
{
    writeBytes(tmp("victim.txt"), "keep me");
    ASSERT_TRUE(QFile::link(tmp("victim.txt"), tmp("link.TMP")));
    TempFileAppender file;
    EXPECT_EQ(file.create(QFile::encodeName(tmp("link.TMP")).toStdString()), TempFileAppender::Create::Exists);
    EXPECT_EQ(fileBytes(tmp("victim.txt")), "keep me");

    const std::string path = QFile::encodeName(tmp("a.TMP")).toStdString();
    ASSERT_EQ(file.create(path), TempFileAppender::Create::Created);
    EXPECT_TRUE(lockedByAnother(tmp("a.TMP")));
    TBRecord r;
    r.head.value = 1.0f;
    ASSERT_TRUE(file.append(r));
    EXPECT_EQ(file.syncCount(), 1); // the first record goes to the disk at once
    ASSERT_TRUE(file.append(r));
    EXPECT_TRUE(file.sync());
    EXPECT_EQ(file.syncCount(), 2);
    EXPECT_EQ(file.records(), 2);

    // Released, the lock stays with the descriptor until it is closed.
    const int fd = file.release();
    EXPECT_FALSE(file.isOpen());
    EXPECT_TRUE(lockedByAnother(tmp("a.TMP")));
    ::close(fd);
    EXPECT_FALSE(lockedByAnother(tmp("a.TMP")));
    EXPECT_EQ(QFileInfo(tmp("a.TMP")).size(), 256);
}

TEST_F(TempFilesTest, AppenderOpensOnlyAWholeUnheldFileToAddToIt)
{
    using Open = TempFileAppender::Open;
    auto path = [this](const char* name) { return QFile::encodeName(tmp(QLatin1String(name))).toStdString(); };
    writeBytes(tmp("two.640"), QByteArray(256, 'r'));
    writeBytes(tmp("torn.640"), QByteArray(200, 'r'));
    ASSERT_TRUE(QFile::link(tmp("two.640"), tmp("link.640")));
    QDir(dir.path()).mkdir(QStringLiteral("folder.640"));

    TempFileAppender file;
    EXPECT_EQ(file.openExisting(path("none.640")), Open::Missing);
    EXPECT_EQ(file.openExisting(path("torn.640")), Open::NotWhole);
    EXPECT_EQ(file.openExisting(path("link.640")), Open::NotAFile);
    EXPECT_EQ(file.openExisting(path("folder.640")), Open::NotAFile);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(fileBytes(tmp("torn.640")), QByteArray(200, 'r'));

    // Added to after its records, locked against a second writer.
    ASSERT_EQ(file.openExisting(path("two.640")), Open::Opened);
    EXPECT_EQ(file.records(), 2);
    EXPECT_EQ(file.syncedRecords(), 2);
    TempFileAppender second;
    EXPECT_EQ(second.openExisting(path("two.640")), Open::InUse);
    TBRecord r;
    r.head.value = 3.0f;
    ASSERT_TRUE(file.append(r));
    EXPECT_EQ(file.records(), 3);
    file.close();
    const QByteArray bytes = fileBytes(tmp("two.640"));
    ASSERT_EQ(bytes.size(), 384);
    EXPECT_EQ(bytes.left(256), QByteArray(256, 'r'));
    EXPECT_EQ(bytes.mid(256), QByteArray(reinterpret_cast<const char*>(&r), 128));
}

TEST_F(TempFilesTest, AppenderMovesATornTailAsideBeforeCuttingIt)
{
    using Open = TempFileAppender::Open;
    using TornTail = TempFileAppender::TornTail;
    auto path = [this](const QString& name) { return QFile::encodeName(tmp(name)).toStdString(); };
    const QByteArray whole(256, 'r');

    // Moved into a name of its own; a link planted at the first such name
    // is neither followed nor replaced.
    writeBytes(tmp("torn.640"), whole + "tail");
    writeBytes(tmp("victim.txt"), "keep me");
    ASSERT_TRUE(QFile::link(tmp("victim.txt"), tmp("torn.640.torn")));
    TempFileAppender file;
    ASSERT_EQ(file.openExisting(path("torn.640"), TornTail::MoveAside), Open::Opened);
    EXPECT_EQ(file.records(), 2);
    EXPECT_EQ(file.movedTail().path, path("torn.640.torn.1"));
    EXPECT_EQ(file.movedTail().bytes, 4);
    file.close();
    EXPECT_EQ(fileBytes(tmp("torn.640")), whole);
    EXPECT_EQ(fileBytes(tmp("torn.640.torn.1")), "tail");
    EXPECT_EQ(fileBytes(tmp("victim.txt")), "keep me");

    // Where the bytes cannot be put aside (here a name too long for the
    // folder), the file keeps them and is not opened.
    const QString longName = QString(251, QLatin1Char('n')) + QStringLiteral(".640");
    writeBytes(tmp(longName), whole + "tail");
    EXPECT_EQ(file.openExisting(path(longName), TornTail::MoveAside), Open::TailNotMoved);
    EXPECT_EQ(file.lastError(), ENAMETOOLONG);
    EXPECT_FALSE(file.isOpen());
    EXPECT_EQ(fileBytes(tmp(longName)), whole + "tail");
    EXPECT_TRUE(file.movedTail().path.empty());
}

TEST_F(TempFilesTest, LeftFilesAreTheUnlockedNonEmptyOnesNewestFirst)
{
    auto records = [](int n) { return QByteArray(n * 128, 'r'); };
    writeBytes(tmp(1), records(2));
    writeBytes(tmp(2), records(3) + "tail");
    writeBytes(tmp(3), QByteArray());           // nothing to recover
    writeBytes(tmp("~KRMDL6.tmp"), records(1)); // not a name of ours
    writeBytes(tmp("x~KRMDL7.TMP"), records(1));
    writeBytes(tmp("~KRMDL8-kept.TMP"), records(1)); // dealt with before
    ASSERT_TRUE(QDir(dir.path()).mkdir("~KRMDL9.TMP"));
    ASSERT_TRUE(QFile::link(tmp(1), tmp(10)));
    // ~KRMDL1 is the older one.
    const timespec old[2] = {{1000, 0}, {1000, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, QFile::encodeName(tmp(1)).constData(), old, 0), 0);
    // A live instance's file (it is locked), with a record in it.
    RecorderCore live(clock);
    ASSERT_TRUE(live.openTempFile(folder()));
    EXPECT_EQ(QString::fromStdString(live.tempStore().currentPath()), tmp(4));
    live.logOneRecord(volts(1));

    LeftTempFiles left;
    left.scan(folder());
    ASSERT_EQ(left.files().size(), 2u);
    EXPECT_EQ(left.files()[0].name, "~KRMDL2.TMP");
    EXPECT_EQ(left.files()[0].records, 3);
    EXPECT_EQ(left.files()[1].name, "~KRMDL1.TMP");
    EXPECT_EQ(left.files()[1].records, 2);

    // While offered here, another instance does not offer them too.
    LeftTempFiles other;
    other.scan(folder());
    EXPECT_TRUE(other.files().empty());

    // Kept: renamed out of later offers, never over an existing name.
    writeBytes(tmp("~KRMDL2-kept.TMP"), "older");
    EXPECT_EQ(QString::fromStdString(left.keep(0)), tmp("~KRMDL2-kept2.TMP"));
    EXPECT_EQ(fileBytes(tmp("~KRMDL2-kept2.TMP")), records(3) + "tail");
    EXPECT_EQ(fileBytes(tmp("~KRMDL2-kept.TMP")), "older");
    EXPECT_FALSE(QFileInfo::exists(tmp(2)));
    left.release();

    other.scan(folder());
    ASSERT_EQ(other.files().size(), 1u);
    EXPECT_EQ(other.files()[0].name, "~KRMDL1.TMP");
}
