// Pages of the data list as comma-separated text.
#include "recorder/core/record_buffer.h"
#include "recorder/core/record_text.h"
#include "viewer/core/csv_export.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QTemporaryDir>

#include <algorithm>
#include <fstream>
#include <sstream>
#include <sys/resource.h>
#include <sys/wait.h>
#include <csignal>
#include <unistd.h>

namespace vt640 {
namespace {

RecordBuffer buffer(int n)
{
    RecordBuffer b;
    for (int i = 0; i < n; ++i) {
        TBRecord r;
        r.head.functionCode = 4;
        copyText(r.head.timeText, " 14:05:09.3  ");
        copyText(r.head.valueText, std::to_string(i));
        copyText(r.head.unitText, "V");
        copyText(r.energyText, "----");
        b.append(r);
    }
    return b;
}

std::vector<std::string> lines(const RecordBuffer& b, int first, int last, int pages = 3)
{
    std::string text;
    CsvExport::write(b, {200, pages, first, last}, [&](std::string_view s) {
        text += s;
        return true;
    });
    std::vector<std::string> out;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t end = text.find("\r\n", at);
        EXPECT_NE(end, std::string::npos) << "every line ends in CR LF";
        if (end == std::string::npos)
            break;
        out.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return out;
}

TEST(CsvExportTest, ThreePagesOf450RecordsWriteTheHeaderAndEachRecordOnce)
{
    const RecordBuffer b = buffer(450);
    const auto all = lines(b, 1, 3);
    ASSERT_EQ(all.size(), 1u + 50 + 200 + 200);
    EXPECT_EQ(all[0], "Item#,Time,DC/AC/3-Ph,3W/4W,MainData,Multiple,Unit,SubData,SubFunc,Amp,Peak-rms,HOLD,KWHr,");
    // The time keeps its padding blanks, as stored.
    EXPECT_EQ(all[1], "1, 14:05:09.3  ,DC,,0,,V,,,,,,----,");
    EXPECT_EQ(all[450], "450, 14:05:09.3  ,DC,,449,,V,,,,,,----,");

    const auto second = lines(b, 2, 2);
    ASSERT_EQ(second.size(), 200u); // no header line
    EXPECT_EQ(second.front().substr(0, 3), "51,");
    EXPECT_EQ(second.back().substr(0, 4), "250,");
}

TEST(CsvExportTest, PagesOutsideTheBufferAreClampedAndABackwardRangeIsEmpty)
{
    const RecordBuffer b = buffer(450);
    EXPECT_EQ(lines(b, -5, 99).size(), 451u);
    EXPECT_EQ(lines(b, 3, 9).size(), 200u);
    EXPECT_TRUE(lines(b, 3, 2).empty());
    // The ends are compared as asked, before either is taken into range.
    EXPECT_TRUE(lines(b, 4, 3).empty());
    EXPECT_TRUE(lines(b, 1, 0).empty());
    // 400 records after a file read: three pages, the first of them empty.
    const RecordBuffer full = buffer(400);
    EXPECT_EQ(lines(full, 1, 1), std::vector<std::string>{lines(full, 1, 3).front()});
    EXPECT_EQ(lines(full, 1, 3).size(), 401u);
}

TEST(CsvExportTest, TextsAreWrittenAsTheyAreWithoutQuoting)
{
    RecordBuffer b;
    TBRecord r;
    copyText(r.head.valueText, "1,5\"x\xB5");
    b.append(r);
    TBRecord plain;
    copyText(plain.head.valueText, "12.5");
    b.append(plain);
    const auto out = lines(b, 1, 1, 1);
    ASSERT_EQ(out.size(), 3u);
    EXPECT_EQ(out[1], "1,,,,1,5\"x\xB5,,,,,,,,,");
    // A record whose texts hold no comma has exactly 13 separators.
    EXPECT_EQ(std::count(out[2].begin(), out[2].end(), ','), 13);
    EXPECT_EQ(std::count(out[1].begin(), out[1].end(), ','), 14);
}

std::string contents(const QString& path)
{
    std::ifstream in(path.toStdString(), std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

TEST(CsvExportTest, AFailedWriteLeavesTheOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("out.csv");
    ASSERT_EQ(CsvExport::writeFile(path.toStdString(), buffer(10), {200, 1, 1, 1}), AtomicFile::Error::None);
    const std::string old = contents(path);
    ASSERT_EQ(std::count(old.begin(), old.end(), '\n'), 11);

    // A file-size limit stands for a full disk; the child writes 5000 rows.
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit limit{4096, 4096};
        ::setrlimit(RLIMIT_FSIZE, &limit);
        int error = 0;
        const auto result = CsvExport::writeFile(path.toStdString(), buffer(5000), {200, 25, 1, 25}, &error);
        ::_exit(result == AtomicFile::Error::WriteFailed && error != 0 ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the write failure is reported";
    EXPECT_EQ(contents(path), old);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"out.csv"}) << "no temporary file is left";
}

TEST(CsvExportTest, AFolderAtTheNameIsRefused)
{
    QTemporaryDir dir;
    EXPECT_EQ(CsvExport::writeFile(dir.path().toStdString(), buffer(1), {200, 1, 1, 1}),
              AtomicFile::Error::FolderAtName);
    EXPECT_EQ(CsvExport::writeFile((dir.path() + "/no/such/x.csv").toStdString(), buffer(1), {200, 1, 1, 1}),
              AtomicFile::Error::NoFolder);
}

TEST(CsvExportTest, APlantedLinkIsReplacedNotFollowed)
{
    QTemporaryDir dir;
    const QString victim = dir.filePath("victim.txt");
    {
        std::ofstream(victim.toStdString()) << "keep me";
    }
    const QString link = dir.filePath("out.csv");
    ASSERT_EQ(::symlink(victim.toLocal8Bit().constData(), link.toLocal8Bit().constData()), 0);
    ASSERT_EQ(CsvExport::writeFile(link.toStdString(), buffer(1), {200, 1, 1, 1}), AtomicFile::Error::None);
    EXPECT_EQ(contents(victim), "keep me");
    EXPECT_FALSE(QFileInfo(link).isSymLink());
}

} // namespace
} // namespace vt640
