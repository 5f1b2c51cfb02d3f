// Logger files without a window: which layout a name gives, reading the
// three layouts and odd files, and writing safely.
#include "recorder/core/logger_file_reader.h"
#include "fileio/atomic_file.h"
#include "recorder/core/logger_file_writer.h"
#include "recorder/core/logger_layout.h"
#include "recorder/core/record_buffer.h"
#include "recorder/core/record_text.h"
#include "support/file_size_limit.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace vt640;
using Status = LoggerFileReader::Status;

namespace {

TBRecord sample(int i)
{
    TBRecord r;
    copyText(r.head.mainText, std::to_string(i) + ".5");
    copyText(r.head.exponentText, "0");
    r.head.functionCode = 4;
    copyText(r.head.timeText, " 14:05:09.3  ");
    copyText(r.head.valueText, std::to_string(i) + ".5");
    copyText(r.head.prefixText, "m");
    copyText(r.head.unitText, "V");
    r.head.value = static_cast<float>(i) + 0.5f;
    copyText(r.sub.subText, "0.98");
    copyText(r.sub.subFunction, "PF");
    r.sub.status = 0x23;
    r.sub.padding[1] = 0x7f;
    copyText(r.energyText, "00.125");
    return r;
}

// The leading `size` bytes of each record, one after the other.
std::string image(const std::vector<TBRecord>& records, std::size_t size)
{
    std::string bytes;
    for (const TBRecord& r : records)
        bytes.append(reinterpret_cast<const char*>(&r), size);
    return bytes;
}

void writeFile(const QString& path, const std::string& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes.data(), static_cast<qint64>(bytes.size()));
}

std::string readFile(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll().toStdString() : std::string();
}

std::string enc(const QString& path) { return QFile::encodeName(path).toStdString(); }

Status readAll(const QString& path, RecordBuffer& out)
{
    return LoggerFileReader::readAll(enc(path), layoutForPath(enc(path)), out);
}

class LoggerFileTest : public ::testing::Test {
protected:
    QString path(const QString& name) const { return dir.filePath(name); }
    QTemporaryDir dir;
};

} // namespace

TEST(LoggerLayout, ChosenFromTheLastNameWithoutCase)
{
    struct Case {
        const char* path;
        RecordLayout layout;
    } const cases[] = {
        {"log.640", RecordLayout::Native},
        {"LOG.640", RecordLayout::Native},
        {"log.r27", RecordLayout::Older},
        {"LOG.R27", RecordLayout::Older}, // upper case, as older systems name them
        {"log.r26", RecordLayout::Oldest},
        {"a.640.r27", RecordLayout::Older},              // ".r27" is tested first
        {"log.640.bak", RecordLayout::Native},           // anywhere in the name, as before
        {"/data/run.640/log.r26", RecordLayout::Oldest}, // the folder does not count
        {"/data/run.r27/log.640", RecordLayout::Native},
        {"/w/~KRMDL1.TMP", RecordLayout::Native}, // temporary files hold 128-byte records
        {"/w/~KRMDL1-kept.TMP", RecordLayout::Native},
        {"x.tmp", RecordLayout::Native},
        {"x.tmp.old", RecordLayout::Oldest},
        {"noextension", RecordLayout::Oldest},
        {"dir.640/", RecordLayout::Oldest},
        {"", RecordLayout::Oldest},
    };
    for (const Case& c : cases)
        EXPECT_EQ(layoutForPath(c.path), c.layout) << c.path;
    EXPECT_EQ(recordSize(RecordLayout::Native), 128u);
    EXPECT_EQ(recordSize(RecordLayout::Older), 96u);
    EXPECT_EQ(recordSize(RecordLayout::Oldest), 68u);
}

TEST_F(LoggerFileTest, ThreeLayoutsAreWidenedExactly)
{
    std::vector<TBRecord> records;
    for (int i = 0; i < 10; ++i)
        records.push_back(sample(i));

    // 960 bytes of 96-byte records: ten records, the sub-display, status
    // and padding not kept.
    writeFile(path("old.r27"), image(records, 96));
    RecordBuffer older;
    ASSERT_EQ(readAll(path("old.r27"), older), Status::Ok);
    ASSERT_EQ(older.size(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(std::memcmp(&older[i].head, &records[i].head, 68), 0) << i;
        EXPECT_EQ(fieldText(older[i].sub.subText), "") << i;
        EXPECT_EQ(fieldText(older[i].sub.subFunction), "") << i;
        EXPECT_EQ(older[i].sub.status, 0) << i;
        EXPECT_EQ(fieldText(older[i].energyText), "") << i;
    }

    // 68-byte records and five bytes of a record that never ended.
    writeFile(path("oldest.r26"), image({records[0], records[1]}, 68) + "abcde");
    RecordBuffer oldest;
    ASSERT_EQ(readAll(path("oldest.r26"), oldest), Status::Ok);
    ASSERT_EQ(oldest.size(), 2);
    EXPECT_EQ(std::memcmp(&oldest[1].head, &records[1].head, 68), 0);
    EXPECT_EQ(oldest[1].sub.status, 0);

    // 1000 bytes of ".640": seven records as they stand, 104 bytes ignored.
    writeFile(path("native.640"), image(records, 128).substr(0, 1000));
    RecordBuffer native;
    ASSERT_EQ(readAll(path("native.640"), native), Status::Ok);
    ASSERT_EQ(native.size(), 7);
    EXPECT_EQ(std::memcmp(native.data(), records.data(), 7 * 128), 0);
}

TEST_F(LoggerFileTest, DevicesAndDeepPathsAreHandledLikeAnyOtherName)
{
    // (Missing, folder, pipe, unreadable and over-long names are tested
    // through Open in the window.)
    RecordBuffer none;
    EXPECT_EQ(LoggerFileReader::readAll("/dev/zero", RecordLayout::Native, none), Status::NotAFile);
    EXPECT_EQ(none.size(), 0);

    // A path of 4,000 characters through folders is a file like any other.
    QString deep = dir.path();
    while (4000 - deep.size() > 300)
        deep += QLatin1Char('/') + QString(200, QLatin1Char('d'));
    if (4000 - deep.size() > 200)
        deep += QLatin1Char('/') + QString(4000 - deep.size() - 150, QLatin1Char('d'));
    ASSERT_TRUE(QDir().mkpath(deep));
    QString deepFile = deep + QLatin1Char('/');
    deepFile += QString(4000 - deepFile.size() - 4, QLatin1Char('f')) + QStringLiteral(".640");
    ASSERT_EQ(deepFile.size(), 4000);
    writeFile(deepFile, image({sample(1), sample(2)}, 128));
    RecordBuffer deepRead;
    EXPECT_EQ(readAll(deepFile, deepRead), Status::Ok);
    EXPECT_EQ(deepRead.size(), 2);
}

TEST_F(LoggerFileTest, MoreRecordsThanCanBeHeldAreRefusedBeforeReading)
{
    // A sparse file one record past what the buffer can index.
    const std::string huge = enc(path("huge.640"));
    const int fd = ::open(huge.c_str(), O_WRONLY | O_CREAT, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::ftruncate(fd, (LoggerFileReader::kMaxRecords + 1) * 128), 0);
    ::close(fd);
    LoggerFileReader reader;
    EXPECT_EQ(reader.open(huge), Status::TooLarge);
    EXPECT_EQ(reader.recordCount(), 0);

    // Within the index but beyond the memory at hand.
    writeFile(path("ten.640"), image(std::vector<TBRecord>(10), 128));
    reader.setMemoryLimit(9 * 128);
    EXPECT_EQ(reader.open(enc(path("ten.640"))), Status::TooLarge);
    reader.setMemoryLimit(10 * 128);
    EXPECT_EQ(reader.open(enc(path("ten.640"))), Status::Ok);
    EXPECT_EQ(reader.recordCount(), 10);
}

TEST_F(LoggerFileTest, TextsWithoutTheirNulAndNonFiniteValuesAreKept)
{
    TBRecord r = sample(0);
    std::memcpy(r.head.mainText, "12345678", 8); // no NUL at all
    std::memcpy(r.head.timeText, "0123456789abcdef", 16);
    r.head.value = std::numeric_limits<float>::quiet_NaN();
    TBRecord inf = sample(1);
    inf.head.value = -std::numeric_limits<float>::infinity();
    writeFile(path("odd.640"), image({r, inf}, 128));

    RecordBuffer b;
    ASSERT_EQ(readAll(path("odd.640"), b), Status::Ok);
    ASSERT_EQ(b.size(), 2);
    EXPECT_EQ(std::memcmp(&b[0], &r, 128), 0);
    EXPECT_EQ(fieldText(b[0].head.mainText), "12345678");
    EXPECT_EQ(fieldText(b[0].head.timeText), "0123456789abcdef");
    EXPECT_TRUE(std::isnan(b[0].head.value));
    EXPECT_EQ(b[1].head.value, -std::numeric_limits<float>::infinity());
}

TEST_F(LoggerFileTest, FileThatShrinksWhileReadGivesItsWholeRecords)
{
    std::vector<TBRecord> records;
    for (int i = 0; i < 10; ++i)
        records.push_back(sample(i));
    writeFile(path("live.640"), image(records, 128));
    LoggerFileReader reader;
    ASSERT_EQ(reader.open(enc(path("live.640"))), Status::Ok);
    TBRecord got[10];
    ASSERT_EQ(reader.read(got, 3), 3);
    ASSERT_EQ(::truncate(enc(path("live.640")).c_str(), 5 * 128 + 60), 0);
    EXPECT_EQ(reader.read(got + 3, 10), 2);
    EXPECT_EQ(reader.read(got + 5, 10), 0);
    EXPECT_EQ(reader.recordCount(), 5);
    EXPECT_EQ(std::memcmp(got, records.data(), 5 * 128), 0);
}

TEST_F(LoggerFileTest, WriterReplacesTheTargetOnlyWhenAllIsOnDisk)
{
    const std::vector<TBRecord> records = {sample(1), sample(2), sample(3)};
    const QString target = path("saved.640");
    ASSERT_EQ(LoggerFileWriter::write(enc(target), records.data(), 3), LoggerFileWriter::Status::Ok);
    EXPECT_EQ(readFile(target), image(records, 128));
    EXPECT_EQ(readFile(target).size(), 384u);

    // A save that cannot be completed leaves the old file as it was, and
    // nothing of the attempt behind.
    ASSERT_EQ(::chmod(enc(target).c_str(), 0600), 0);
    const std::vector<TBRecord> more(10, sample(9));
    {
        test::FileSizeLimit limit(1000);
        ASSERT_TRUE(limit.ok());
        EXPECT_EQ(LoggerFileWriter::write(enc(target), more.data(), more.size()),
                  LoggerFileWriter::Status::WriteFailed);
    }
    EXPECT_EQ(readFile(target), image(records, 128));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"saved.640"});

    // A replaced file keeps its permissions.
    ASSERT_EQ(LoggerFileWriter::write(enc(target), more.data(), more.size()), LoggerFileWriter::Status::Ok);
    EXPECT_EQ(QFileInfo(target).size(), 1280);
    struct stat st {};
    ASSERT_EQ(::stat(enc(target).c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);

    // A link at the target is replaced, not written through.
    writeFile(path("victim.txt"), "keep me");
    ASSERT_TRUE(QFile::link(path("victim.txt"), path("link.640")));
    ASSERT_EQ(LoggerFileWriter::write(enc(path("link.640")), records.data(), 3), LoggerFileWriter::Status::Ok);
    EXPECT_FALSE(QFileInfo(path("link.640")).isSymLink());
    EXPECT_EQ(readFile(path("victim.txt")), "keep me");

    EXPECT_EQ(LoggerFileWriter::write(enc(path("no/such/folder/x.640")), records.data(), 3),
              LoggerFileWriter::Status::CannotCreate);

    // Told not to replace, it puts the file in place only at a free name,
    // and leaves whatever stands there (a file, a link) untouched.
    EXPECT_EQ(LoggerFileWriter::write(enc(target), records.data(), 3, false), LoggerFileWriter::Status::Exists);
    EXPECT_EQ(QFileInfo(target).size(), 1280);
    ASSERT_TRUE(QFile::link(path("victim.txt"), path("link2.640")));
    EXPECT_EQ(LoggerFileWriter::write(enc(path("link2.640")), records.data(), 3, false),
              LoggerFileWriter::Status::Exists);
    EXPECT_TRUE(QFileInfo(path("link2.640")).isSymLink());
    ASSERT_EQ(LoggerFileWriter::write(enc(path("new.640")), records.data(), 3, false), LoggerFileWriter::Status::Ok);
    EXPECT_EQ(readFile(path("new.640")), image(records, 128));
    // The same for any whole file written beside its target.
    AtomicFile text(enc(path("victim.txt")));
    text.setReplaceExisting(false);
    ASSERT_TRUE(text.open());
    ASSERT_TRUE(text.write("new"));
    EXPECT_FALSE(text.commit());
    EXPECT_EQ(text.error(), AtomicFile::Error::Exists);
    EXPECT_EQ(readFile(path("victim.txt")), "keep me");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden | QDir::System).size(), 5);

    // A file the user may not write is not replaced, though the folder is
    // theirs; a link to one is still replaced and never followed. As an
    // ordinary user: the superuser writes anything.
    writeFile(path("locked.640"), "locked");
    ASSERT_EQ(::chmod(enc(path("locked.640")).c_str(), 0444), 0);
    ASSERT_TRUE(QFile::link(path("locked.640"), path("to-locked.640")));
    ASSERT_EQ(::chmod(enc(dir.path()).c_str(), 0777), 0);
    const bool root = ::geteuid() == 0;
    if (root) {
        ASSERT_EQ(::seteuid(65534), 0);
    }
    AtomicFile::Error failure = AtomicFile::Error::None;
    int error = 0;
    const auto locked = LoggerFileWriter::write(enc(path("locked.640")), records.data(), 3, true, &failure, &error);
    const auto viaLink = LoggerFileWriter::write(enc(path("to-locked.640")), records.data(), 3);
    if (root) {
        ASSERT_EQ(::seteuid(0), 0);
    }
    EXPECT_EQ(locked, LoggerFileWriter::Status::CannotCreate);
    EXPECT_EQ(failure, AtomicFile::Error::WriteProtected);
    EXPECT_EQ(error, EACCES);
    EXPECT_EQ(readFile(path("locked.640")), "locked");
    EXPECT_EQ(viaLink, LoggerFileWriter::Status::Ok);
    EXPECT_FALSE(QFileInfo(path("to-locked.640")).isSymLink());

    // A name of nearly the longest length a folder allows is saved too.
    const QString longName = QString(250, QLatin1Char('n')) + QStringLiteral(".640");
    ASSERT_EQ(LoggerFileWriter::write(enc(path(longName)), records.data(), 3), LoggerFileWriter::Status::Ok);
    EXPECT_EQ(readFile(path(longName)), image(records, 128));
}
