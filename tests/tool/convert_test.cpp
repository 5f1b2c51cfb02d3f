// vt640-tool convert: the recorder's text export of a file, byte for byte;
// old layouts brought forward; nothing replaced unasked, nothing
// half-written.
#include "tool/tool_process.h"

#include "meter/meter_reading.h"
#include "recorder/core/logger_file_reader.h"
#include "recorder/core/record_buffer.h"
#include "recorder/core/record_text.h"
#include "viewer/core/csv_export.h"

#include <gtest/gtest.h>

#include <cstring>

using namespace vt640;
using namespace vt640::test;

namespace {

TBRecord record(int i)
{
    TBRecord r;
    const std::string v = std::to_string(i % 97) + ".5";
    copyText(r.head.mainText, v);
    copyText(r.head.exponentText, "0");
    r.head.functionCode = i % 3 == 0 ? code::ActivePower1 : code::AcAmps;
    copyText(r.head.timeText, " 14:05:09.3  ");
    // Texts as a file may hold them: a comma, a quote, bytes above 127.
    copyText(r.head.valueText, i % 50 == 7 ? "1,5\"\xB5" : v);
    copyText(r.head.unitText, i % 3 == 0 ? "W" : "A");
    r.head.value = static_cast<float>(i % 97) + 0.5f;
    copyText(r.sub.subText, "0.98");
    copyText(r.sub.subFunction, "PF");
    r.sub.status = static_cast<std::uint8_t>(i & 0xFF);
    copyText(r.energyText, i % 3 == 0 ? "00.123" : "----");
    return r;
}

std::string image(int n, std::size_t size = sizeof(TBRecord))
{
    std::string bytes;
    for (int i = 0; i < n; ++i) {
        const TBRecord r = record(i);
        bytes.append(reinterpret_cast<const char*>(&r), size);
    }
    return bytes;
}

// What the recorder's Export, Text, writes for pages first..last after
// opening the file, with P points per page.
std::string exported(const fs::path& file, int first, int last, int P = 200)
{
    RecordBuffer buffer;
    EXPECT_EQ(LoggerFileReader::readAll(file.string(), layoutForPath(file.string()), buffer),
              LoggerFileReader::Status::Ok);
    CsvExport::Pages pages{P, buffer.size() / P + 1, first, last};
    std::string text;
    CsvExport::write(buffer, pages, [&text](std::string_view piece) {
        text += piece;
        return true;
    });
    return text;
}

std::vector<std::string> filesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

} // namespace

TEST(ConvertCommand, WritesTheRecorderTextExportOfTheFile)
{
    const fs::path dir = scratch("convert-csv");
    const fs::path in = dir / "day.640";
    spit(in, image(450));
    const std::string csv = (dir / "out.csv").string();

    // All pages by default: the header with the partial first page, then every record once.
    ToolRun r = runTool({"convert", in.string(), "-o", csv, "--force"});
    ASSERT_EQ(r.status, 0) << r.err;
    std::string text = slurp(csv);
    EXPECT_EQ(text, exported(in, 1, 3));
    const auto rows = lines(text);
    ASSERT_EQ(rows.size(), 1u + 50 + 200 + 200);
    EXPECT_EQ(rows[0].rfind("Item#,Time,", 0), 0u);
    // No quoting: a text with a comma adds a field, others keep 13.
    for (const auto& row : {rows[1], rows[8]}) {
        const auto commas = std::count(row.begin(), row.end(), ',');
        EXPECT_EQ(commas, row == rows[8] ? 14 : 13) << row;
        EXPECT_EQ(row.back(), '\r');
    }
    EXPECT_NE(rows[8].find("1,5\"\xB5"), std::string::npos);

    struct Case {
        std::vector<std::string> options;
        int first, last, P;
    };
    const Case cases[] = {
        {{"--pages", "2-2"}, 2, 2, 200},   // 200 rows, no header
        {{"--pages", "0-99"}, 0, 99, 200}, // clamped to 1..3
        {{"--pages", "3-1"}, 3, 1, 200},   // an empty file
        {{"--pages", "4-3"}, 4, 3, 200},   // backward beyond the end: empty too
        {{"--points-per-page", "100"}, 1, 5, 100}, {{"--points-per-page", "1000", "--pages", "1"}, 1, 1, 1000},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"convert", in.string(), "-o", csv, "--force"};
        args.insert(args.end(), c.options.begin(), c.options.end());
        r = runTool(args);
        ASSERT_EQ(r.status, 0) << r.err;
        EXPECT_EQ(slurp(csv), exported(in, c.first, c.last, c.P)) << c.options[0] << " " << c.options[1];
    }
    EXPECT_EQ(lines(exported(in, 2, 2)).size(), 200u);
    EXPECT_TRUE(exported(in, 3, 1).empty());
    EXPECT_TRUE(exported(in, 4, 3).empty());

    // "-" is standard output.
    r = runTool({"convert", in.string(), "-o", "-", "--pages", "1-2"});
    ASSERT_EQ(r.status, 0) << r.err;
    EXPECT_EQ(r.out, exported(in, 1, 2));
    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"day.640", "out.csv"}));
    fs::remove_all(dir);
}

TEST(ConvertCommand, BringsOlderLayoutsForwardAsNativeFiles)
{
    const fs::path dir = scratch("convert-native");
    spit(dir / "old.r27", image(10, sizeof(TARecord)));
    spit(dir / "old.r26", image(10, sizeof(TRecord)) + "tail");
    spit(dir / "archive.dat", image(10, sizeof(TARecord)));
    struct Case {
        std::vector<std::string> args;
        fs::path source;
        RecordLayout layout;
    };
    const Case cases[] = {
        {{"convert", (dir / "old.r27").string(), "-o", (dir / "a.640").string()}, dir / "old.r27", RecordLayout::Older},
        {{"convert", (dir / "old.r26").string(), "-o", (dir / "b.640").string()},
         dir / "old.r26",
         RecordLayout::Oldest},
        // The name would say 68-byte records; the option says otherwise.
        {{"convert", (dir / "archive.dat").string(), "-o", (dir / "c.640").string(), "--layout", "r27"},
         dir / "archive.dat",
         RecordLayout::Older},
    };
    for (const Case& c : cases) {
        const ToolRun r = runTool(c.args);
        ASSERT_EQ(r.status, 0) << r.err;
        // The bytes of a torn last record are left out, and said to be.
        if (c.source == dir / "old.r26")
            EXPECT_EQ(r.err,
                      "vt640-tool: " + c.source.string() + " ends in part of a record: its last 4 bytes are ignored\n");
        else
            EXPECT_TRUE(r.err.empty()) << r.err;
        const std::string out = slurp(c.args[3]);
        ASSERT_EQ(out.size(), 10 * sizeof(TBRecord));
        // Record for record what Open makes of the old file: the leading 68
        // bytes kept, the rest empty.
        RecordBuffer widened;
        ASSERT_EQ(LoggerFileReader::readAll(c.source.string(), c.layout, widened), LoggerFileReader::Status::Ok);
        ASSERT_EQ(widened.size(), 10);
        EXPECT_EQ(std::memcmp(out.data(), widened.data(), out.size()), 0) << c.args[1];
        TBRecord first;
        std::memcpy(&first, out.data(), sizeof first);
        EXPECT_EQ(fieldText(first.head.valueText), "0.5");
        EXPECT_EQ(fieldText(first.sub.subText), "");
        EXPECT_EQ(first.sub.status, 0);
    }
    fs::remove_all(dir);
}

TEST(ConvertCommand, RefusesToReplaceAndFailsWholly)
{
    const fs::path dir = scratch("convert-refuse");
    const fs::path in = dir / "day.640";
    spit(in, image(450));
    spit(dir / "keep.csv", "old text");
    spit(dir / "keep.640", "old records");

    // An existing file stays unless --force is given.
    for (const char* name : {"keep.csv", "keep.640"}) {
        const ToolRun r = runTool({"convert", in.string(), "-o", (dir / name).string()});
        EXPECT_EQ(r.status, 1);
        EXPECT_NE(r.err.find("exists"), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }
    EXPECT_EQ(slurp(dir / "keep.csv"), "old text");
    EXPECT_EQ(slurp(dir / "keep.640"), "old records");

    // A file-size limit stops the write half-way, as a full disk would: the
    // old file stays whole, nothing is left beside it, and it is said.
    for (const char* name : {"keep.csv", "keep.640"}) {
        ToolOptions limited;
        limited.fileSizeLimit = 4096;
        const ToolRun r = runTool({"convert", in.string(), "-o", (dir / name).string(), "--force"}, limited);
        EXPECT_EQ(r.status, 1) << name;
        // What failed and why, whichever the format.
        EXPECT_NE(r.err.find("writing " + (dir / name).string() + " failed: File too large"), std::string::npos)
            << r.err;
    }
    EXPECT_EQ(slurp(dir / "keep.csv"), "old text");
    EXPECT_EQ(slurp(dir / "keep.640"), "old records");

    // A file the user may not write is not replaced, not even with --force,
    // though the folder is theirs.
    spit(dir / "locked.csv", "locked text");
    spit(dir / "locked.640", "locked records");
    fs::permissions(dir / "locked.csv", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir / "locked.640", fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
    fs::permissions(dir, fs::perms::all);
    ToolOptions user;
    user.asNobody = true;
    for (const char* name : {"locked.csv", "locked.640"}) {
        const ToolRun r = runTool({"convert", in.string(), "-o", (dir / name).string(), "--force"}, user);
        EXPECT_EQ(r.status, 1) << name;
        EXPECT_NE(r.err.find("write-protected"), std::string::npos) << r.err;
    }
    EXPECT_EQ(slurp(dir / "locked.csv"), "locked text");
    EXPECT_EQ(slurp(dir / "locked.640"), "locked records");

    // Bad input, a missing folder, a folder at the name, bad options.
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string said; // part of what standard error says
    };
    fs::create_directories(dir / "folder.csv");
    const Case cases[] = {
        {{"convert", (dir / "missing.640").string(), "-o", (dir / "x.csv").string()},
         1,
         "cannot open " + (dir / "missing.640").string() + ": No such file or directory"},
        {{"convert", dir.string(), "-o", (dir / "x.csv").string()}, 1, dir.string() + " is a folder"},
        {{"convert", in.string(), "-o", (dir / "no/such/x.csv").string()}, 1, "does not exist"},
        {{"convert", in.string(), "-o", (dir / "no/such/x.640").string()}, 1, "does not exist"},
        // A folder as OUT is called one, with --force or without.
        {{"convert", in.string(), "-o", (dir / "folder.csv").string()},
         1,
         (dir / "folder.csv").string() + " is a folder"},
        {{"convert", in.string(), "-o", (dir / "folder.csv").string(), "--force"},
         1,
         (dir / "folder.csv").string() + " is a folder"},
        {{"convert", in.string(), "-o", (dir / "x.txt").string()}, 2, "OUT must end"},
        {{"convert", in.string(), "-o", (dir / "x.640").string(), "--pages", "1-2"}, 2, "--pages"},
        {{"convert", in.string(), "-o", (dir / "x.csv").string(), "--pages", "-1"}, 2, "'-1'"},
        {{"convert", in.string(), "-o", (dir / "x.csv").string(), "--points-per-page", "0"}, 2, "'0'"},
        {{"convert", in.string(), "-o", (dir / "x.csv").string(), "--layout", "r28"}, 2, "'r28'"},
        {{"convert", in.string()}, 2, "--output"},
    };
    for (const Case& c : cases) {
        const ToolRun r = runTool(c.args);
        EXPECT_EQ(r.status, c.status) << c.args.back();
        EXPECT_NE(r.err.find(c.said), std::string::npos) << r.err;
        EXPECT_TRUE(r.out.empty());
    }

    EXPECT_EQ(filesIn(dir), (std::vector<std::string>{"day.640", "folder.csv", "keep.640", "keep.csv", "locked.640", "locked.csv"}));
    fs::remove_all(dir);
}
