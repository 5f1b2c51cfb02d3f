#include "app/core/global_state.h"
#include "app/core/settings_file.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cerrno>
#include <cmath>
#include <clocale>
#include <limits>
#include <random>
#include <string>

#include <sys/stat.h>
#include <unistd.h>

namespace vt640 {
namespace {

using namespace std::string_literals;

class SettingsFileTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(dir_.isValid()); }

    QString dir() const { return dir_.path(); }
    QString settingsPath() const { return dir() + "/KORUDL.ini"; }
    SettingsFile file() const { return SettingsFile(dir()); }

    static void writeBytes(const QString& path, const std::string& bytes)
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        ASSERT_EQ(f.write(bytes.data(), static_cast<qint64>(bytes.size())), static_cast<qint64>(bytes.size()));
    }
    static std::string readBytes(const QString& path)
    {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return "<unreadable>";
        return f.readAll().toStdString();
    }
    static bool isSymlink(const QString& path)
    {
        struct stat st {};
        return ::lstat(QFile::encodeName(path).constData(), &st) == 0 && S_ISLNK(st.st_mode);
    }

    SettingsReadResult readText(const std::string& contents)
    {
        writeBytes(settingsPath(), contents);
        return file().read();
    }

    QTemporaryDir dir_;
};

const Settings kDefaults{2, 300.0, 100.0};

// --- Reading --------------------------------------------------------------

TEST_F(SettingsFileTest, ReadsAllThreeValues)
{
    const SettingsReadResult r = readText("iPort=4\r\nfHiLimit=12.5\r\nfLowLimit=-3\r\n");
    EXPECT_EQ(r.status, SettingsReadStatus::Ok);
    EXPECT_EQ(r.settings, (Settings{4, 12.5, -3.0}));
    EXPECT_TRUE(r.errorText.isEmpty());
}

TEST_F(SettingsFileTest, FileWithOnlyThePortGivesAllDefaults)
{
    const SettingsReadResult r = readText("iPort=5\r\n");
    EXPECT_EQ(r.status, SettingsReadStatus::Defaulted);
    EXPECT_EQ(r.settings, kDefaults) << "port 5 must not survive when the limits are missing";
}

TEST_F(SettingsFileTest, OneUnusableValueResetsTheOthersToo)
{
    for (const std::string& text : {
             "iPort=3\r\nfHiLimit=12,5\r\nfLowLimit=1\r\n"s,         // decimal comma
             "iPort=3\r\nfHiLimit=\r\nfLowLimit=1\r\n"s,             // empty
             "iPort=3\r\nfHiLimit=abc\r\nfLowLimit=1\r\n"s,          // not a number
             "iPort=3\r\nfHiLimit=1e999\r\nfLowLimit=1\r\n"s,        // not finite
             "iPort=3\r\nfHiLimit=10\r\nfLowLimit=1 2\r\n"s,         // trailing junk
             "iPort=3.0\r\nfHiLimit=10\r\nfLowLimit=1\r\n"s,         // port not an integer
             "iPort=99999999999\r\nfHiLimit=10\r\nfLowLimit=1\r\n"s, // port overflows
             "iPort=3\r\nfHiLimit=10\r\n"s,                          // low limit missing
             "fHiLimit=10\r\nfLowLimit=1\r\n"s,                      // port missing
             "iPort=3\r\nfHiLimit=1=2\r\nfLowLimit=1\r\n"s,          // key ends at the first "="
             "iPort=3\r\nfHiLimit =10\r\nfLowLimit=1\r\n"s,          // "fHiLimit " is another key
             ""s,
         }) {
        SCOPED_TRACE(text);
        const SettingsReadResult r = readText(text);
        EXPECT_EQ(r.status, SettingsReadStatus::Defaulted);
        EXPECT_EQ(r.settings, kDefaults);
        EXPECT_TRUE(r.errorText.isEmpty());
    }
}

TEST_F(SettingsFileTest, LeadingByteOrderMarkIsSkipped)
{
    // As an editor that saves UTF-8 with a mark writes it: the first key
    // must still be found, or all three values fall back to the defaults.
    const SettingsReadResult r = readText("\xEF\xBB\xBFiPort=4\r\nfHiLimit=12.5\r\nfLowLimit=-3\r\n");
    EXPECT_EQ(r.status, SettingsReadStatus::Ok);
    EXPECT_EQ(r.settings, (Settings{4, 12.5, -3.0}));
    // Only at the very start, and only the whole mark.
    EXPECT_EQ(readText("iPort=4\r\n\xEF\xBB\xBF"
                       "fHiLimit=12.5\r\nfLowLimit=-3\r\n")
                  .status,
              SettingsReadStatus::Defaulted);
    EXPECT_EQ(readText("\xEF\xBBiPort=4\r\nfHiLimit=12.5\r\nfLowLimit=-3\r\n").status, SettingsReadStatus::Defaulted);
}

TEST_F(SettingsFileTest, KeysCompareWithoutCase)
{
    const SettingsReadResult r = readText("IPORT=7\r\nFHILIMIT=50\r\nflowlimit=5\r\n");
    EXPECT_EQ(r.status, SettingsReadStatus::Ok);
    EXPECT_EQ(r.settings, (Settings{7, 50.0, 5.0}));
}

TEST_F(SettingsFileTest, FirstMatchingLineWinsEvenIfUnusable)
{
    EXPECT_EQ(readText("iPort=3\r\niport=6\r\nfHiLimit=9\r\nfLowLimit=1\r\n").settings, (Settings{3, 9.0, 1.0}));
    const SettingsReadResult r = readText("iPort=x\r\niPort=6\r\nfHiLimit=9\r\nfLowLimit=1\r\n");
    EXPECT_EQ(r.status, SettingsReadStatus::Defaulted);
    EXPECT_EQ(r.settings, kDefaults);
}

TEST_F(SettingsFileTest, OrderOtherKeysAndLineEndsDoNotMatter)
{
    const SettingsReadResult r =
        readText("[section]\nfLowLimit=0.25\rcomment without equals\r\nfoo=bar\nfHiLimit=1.5E2\niPort=1");
    EXPECT_EQ(r.status, SettingsReadStatus::Ok);
    EXPECT_EQ(r.settings, (Settings{1, 150.0, 0.25}));
}

TEST_F(SettingsFileTest, ValuesMayCarryBlanksAndSigns)
{
    const SettingsReadResult r = readText("iPort= 8 \r\nfHiLimit= +12.5 \r\nfLowLimit=-.5\r\n");
    EXPECT_EQ(r.status, SettingsReadStatus::Ok);
    EXPECT_EQ(r.settings, (Settings{8, 12.5, -0.5}));
}

TEST_F(SettingsFileTest, PortNumbersOutsideThePortTableAreReturnedAsRead)
{
    for (int port : {0, 11, 42, -3}) {
        const std::string text = "iPort=" + std::to_string(port) + "\r\nfHiLimit=1\r\nfLowLimit=0\r\n";
        const SettingsReadResult r = readText(text);
        EXPECT_EQ(r.status, SettingsReadStatus::Ok);
        EXPECT_EQ(r.settings.iPort, port);
    }
}

TEST_F(SettingsFileTest, MissingFileGivesDefaultsSilently)
{
    const SettingsReadResult r = file().read();
    EXPECT_EQ(r.status, SettingsReadStatus::Missing);
    EXPECT_EQ(r.settings, kDefaults);
    EXPECT_TRUE(r.errorText.isEmpty());

    // A dangling link is no file either.
    ASSERT_EQ(::symlink("nowhere.ini", QFile::encodeName(settingsPath()).constData()), 0);
    EXPECT_EQ(file().read().status, SettingsReadStatus::Missing);
}

TEST_F(SettingsFileTest, UnreadableFileReportsCannotOpenWithThePath)
{
    // A directory opens but cannot be read as a file, even for root.
    ASSERT_TRUE(QDir(dir()).mkdir("KORUDL.ini"));
    const SettingsReadResult r = file().read();
    EXPECT_EQ(r.status, SettingsReadStatus::Unreadable);
    EXPECT_EQ(r.errorText, "Cannot open file " + settingsPath());
}

TEST_F(SettingsFileTest, FifoAtThePathIsUnreadableAndDoesNotBlock)
{
    ASSERT_EQ(::mkfifo(QFile::encodeName(settingsPath()).constData(), 0644), 0);
    const SettingsReadResult r = file().read();
    EXPECT_EQ(r.status, SettingsReadStatus::Unreadable);
    EXPECT_EQ(r.errorText, "Cannot open file " + settingsPath());
}

TEST_F(SettingsFileTest, ArbitraryBytesNeverBreakTheReader)
{
    std::mt19937 random(640);
    std::uniform_int_distribution<int> byte(0, 255);
    std::uniform_int_distribution<int> length(0, 400);
    const std::string pieces[] = {"iPort=", "fHiLimit=", "fLowLimit=",         "\r\n",   "\n", "=", "1", ".",
                                  "e",      "-",         std::string(1, '\0'), "IpOrT=2"};
    std::uniform_int_distribution<std::size_t> piece(0, std::size(pieces) - 1);
    for (int round = 0; round < 3000; ++round) {
        std::string text;
        const int n = length(random);
        for (int i = 0; i < n; ++i) {
            if (random() % 3 == 0)
                text += pieces[piece(random)];
            else
                text += static_cast<char>(byte(random));
        }
        bool complete = true;
        const Settings s = SettingsFile::parse(text, &complete);
        if (!complete)
            ASSERT_EQ(s, kDefaults);
        else
            ASSERT_TRUE(std::isfinite(s.fHiLimit) && std::isfinite(s.fLowLimit));
    }
}

TEST_F(SettingsFileTest, NulBytesAreOrdinaryCharacters)
{
    std::string text = "iPort=5\r\nfHiLimit=1\r\nfLowLimit=0\r\n";
    text.insert(7, 1, '\0'); // "iPort=5\0" is no integer
    EXPECT_EQ(readText(text).status, SettingsReadStatus::Defaulted);

    std::string keyed = "iPort=5\r\nfHiLimit=1\r\nfLowLimit=0\r\n";
    keyed.insert(5, 1, '\0'); // "iPort\0" is another key
    EXPECT_EQ(readText(keyed).status, SettingsReadStatus::Defaulted);
}

TEST_F(SettingsFileTest, HugeLinesAndHugeFilesAreHandled)
{
    // A megabyte-long foreign line before the keys does not hide them.
    std::string text = "junk=" + std::string(1 << 20, 'x') + "\r\n";
    text += "iPort=4\r\nfHiLimit=10\r\nfLowLimit=1\r\n";
    EXPECT_EQ(readText(text).settings, (Settings{4, 10.0, 1.0}));

    // A value too long to be a number is unusable.
    std::string longValue =
        "iPort=4\r\nfHiLimit=1" + std::string(SettingsFile::kMaxLineBytes, '0') + "\r\nfLowLimit=1\r\n";
    EXPECT_EQ(readText(longValue).status, SettingsReadStatus::Defaulted);

    // Beyond the size limit nothing more is read, and nothing breaks.
    std::string big = "iPort=6\r\nfHiLimit=10\r\nfLowLimit=1\r\n";
    big += std::string(SettingsFile::kMaxFileBytes, '\n');
    EXPECT_EQ(readText(big).settings, (Settings{6, 10.0, 1.0}));
    std::string late = std::string(SettingsFile::kMaxFileBytes, '\n');
    late += "iPort=6\r\nfHiLimit=10\r\nfLowLimit=1\r\n";
    EXPECT_EQ(readText(late).status, SettingsReadStatus::Defaulted);
}

// --- Writing --------------------------------------------------------------

TEST_F(SettingsFileTest, WritesExactlyThreeCrLfLinesWhateverTheFileHeld)
{
    writeBytes(settingsPath(), "fLowLimit=1\r\nother=x\r\nIPORT=9\r\n\r\nfHiLimit=2\r\nmore\r\n");
    QString error;
    ASSERT_TRUE(file().write(Settings{4, 12.5, 100.0}, &error)) << error.toStdString();
    EXPECT_TRUE(error.isEmpty());
    EXPECT_EQ(readBytes(settingsPath()), "iPort=4\r\nfHiLimit=12.5\r\nfLowLimit=100\r\n");
    EXPECT_FALSE(QFile::exists(file().temporaryPath()));
}

TEST_F(SettingsFileTest, LimitsUseTheShortestFormUpToFifteenDigits)
{
    EXPECT_EQ(SettingsFile::format(Settings{2, 12.5, 100.0}), "iPort=2\r\nfHiLimit=12.5\r\nfLowLimit=100\r\n");
    EXPECT_EQ(SettingsFile::format(Settings{-1, 1.0 / 3.0, -0.1}),
              "iPort=-1\r\nfHiLimit=0.333333333333333\r\nfLowLimit=-0.1\r\n");
    EXPECT_EQ(SettingsFile::format(Settings{10, 1e20, 1.5e-7}), "iPort=10\r\nfHiLimit=1e+20\r\nfLowLimit=1.5e-07\r\n");
}

TEST_F(SettingsFileTest, WrittenValuesReadBack)
{
    const Settings values{7, 1234.5678, -0.001};
    ASSERT_TRUE(file().write(values));
    const SettingsReadResult r = file().read();
    EXPECT_EQ(r.status, SettingsReadStatus::Ok);
    EXPECT_EQ(r.settings, values);
}

TEST_F(SettingsFileTest, TheLargestLimitsSurviveTheirFifteenDigitForm)
{
    // The largest double is written "1.79769313486232e+308", which lies just
    // above it; read back it is the largest double again, not out of range.
    const double largest = std::numeric_limits<double>::max();
    const Settings values{3, largest, -largest};
    ASSERT_TRUE(file().write(values));
    EXPECT_EQ(readBytes(settingsPath()),
              "iPort=3\r\nfHiLimit=1.79769313486232e+308\r\nfLowLimit=-1.79769313486232e+308\r\n");
    const SettingsReadResult r = file().read();
    EXPECT_EQ(r.status, SettingsReadStatus::Ok);
    EXPECT_EQ(r.settings, values);

    // Other doubles that write in that form; and nothing beyond the form.
    ASSERT_TRUE(file().write(Settings{3, std::nextafter(largest, 0.0), 0.0}));
    EXPECT_EQ(file().read().settings.fHiLimit, largest);
    ASSERT_TRUE(file().write(Settings{3, 1.7e308, 0.0}));
    EXPECT_EQ(file().read().settings.fHiLimit, 1.7e308);
    EXPECT_EQ(readText("iPort=3\r\nfHiLimit=1.79769313486233e308\r\nfLowLimit=1\r\n").status,
              SettingsReadStatus::Defaulted);
}

TEST_F(SettingsFileTest, NewFileIsCreatedWithOrdinaryPermissions)
{
    ASSERT_TRUE(file().write(kDefaults));
    const mode_t mask = ::umask(0);
    ::umask(mask);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(settingsPath()).constData(), &st), 0);
    EXPECT_TRUE(S_ISREG(st.st_mode));
    EXPECT_EQ(st.st_mode & 0777, 0644u & ~mask);
}

TEST_F(SettingsFileTest, PlantedLinkIsReplacedAndItsTargetLeftAlone)
{
    const QString victim = dir() + "/victim.txt";
    writeBytes(victim, "precious\n");
    ASSERT_TRUE(QFile::link(victim, settingsPath()));

    ASSERT_TRUE(file().write(Settings{3, 20.0, 10.0}));
    EXPECT_FALSE(isSymlink(settingsPath()));
    EXPECT_EQ(readBytes(settingsPath()), "iPort=3\r\nfHiLimit=20\r\nfLowLimit=10\r\n");
    EXPECT_EQ(readBytes(victim), "precious\n");
}

TEST_F(SettingsFileTest, LinkPlantedAtTheTemporaryNameIsNotFollowed)
{
    const QString victim = dir() + "/victim.txt";
    writeBytes(victim, "precious\n");
    ASSERT_TRUE(QFile::link(victim, file().temporaryPath()));

    ASSERT_TRUE(file().write(Settings{3, 20.0, 10.0}));
    EXPECT_EQ(readBytes(victim), "precious\n");
    EXPECT_EQ(readBytes(settingsPath()), "iPort=3\r\nfHiLimit=20\r\nfLowLimit=10\r\n");
}

TEST_F(SettingsFileTest, FailedWriteKeepsTheOldFileAndReportsTheError)
{
    const std::string old = "iPort=5\r\nfHiLimit=50\r\nfLowLimit=5\r\n";
    writeBytes(settingsPath(), old);
    // Something that is not ours sits at the temporary name.
    ASSERT_TRUE(QDir(dir()).mkdir(QFileInfo(file().temporaryPath()).fileName()));

    QString error;
    EXPECT_FALSE(file().write(Settings{1, 2.0, 1.0}, &error));
    EXPECT_EQ(error, "Cannot create file " + settingsPath());
    EXPECT_EQ(readBytes(settingsPath()), old);
    EXPECT_TRUE(QFileInfo(file().temporaryPath()).isDir()) << "not ours to remove";
}

TEST_F(SettingsFileTest, FailedRenameRemovesTheTemporaryFile)
{
    // A directory at the settings path cannot be replaced by a file.
    ASSERT_TRUE(QDir(dir()).mkdir("KORUDL.ini"));
    QString error;
    EXPECT_FALSE(file().write(kDefaults, &error));
    EXPECT_EQ(error, "Cannot create file " + settingsPath());
    EXPECT_TRUE(QFileInfo(settingsPath()).isDir());
    EXPECT_FALSE(QFileInfo::exists(file().temporaryPath()));
}

TEST_F(SettingsFileTest, WriteIntoMissingDirectoryFails)
{
    const SettingsFile nowhere(dir() + "/no/such/dir");
    QString error;
    EXPECT_FALSE(nowhere.write(kDefaults, &error));
    EXPECT_EQ(error, "Cannot create file " + dir() + "/no/such/dir/KORUDL.ini");
}

// The limits are written and read with "." whatever the user's locale.
TEST_F(SettingsFileTest, QtLocaleWithDecimalCommaChangesNothing)
{
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    const std::string text = SettingsFile::format(Settings{2, 12.5, 0.75});
    const Settings back = SettingsFile::parse("iPort=2\r\nfHiLimit=12.5\r\nfLowLimit=0.75\r\n");
    QLocale::setDefault(saved);
    EXPECT_EQ(text, "iPort=2\r\nfHiLimit=12.5\r\nfLowLimit=0.75\r\n");
    EXPECT_EQ(back, (Settings{2, 12.5, 0.75}));
}

TEST_F(SettingsFileTest, CLocaleWithDecimalCommaChangesNothing)
{
    const std::string saved = std::setlocale(LC_NUMERIC, nullptr);
    const char* found = nullptr;
    for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8", "fr_FR.utf8"}) {
        if (std::setlocale(LC_NUMERIC, name)) {
            found = name;
            break;
        }
    }
    if (!found)
        GTEST_SKIP() << "no locale with a decimal comma installed";
    const std::string text = SettingsFile::format(Settings{2, 12.5, 0.75});
    bool complete = false;
    const Settings back = SettingsFile::parse("iPort=2\r\nfHiLimit=12.5\r\nfLowLimit=0.75\r\n", &complete);
    std::setlocale(LC_NUMERIC, saved.c_str());
    EXPECT_EQ(text, "iPort=2\r\nfHiLimit=12.5\r\nfLowLimit=0.75\r\n") << found;
    EXPECT_TRUE(complete);
    EXPECT_EQ(back, (Settings{2, 12.5, 0.75}));
}

// --- Process-wide state ---------------------------------------------------

TEST(GlobalStateTest, StartsWithTheDocumentedValues)
{
    GlobalState state;
    EXPECT_EQ(state.iPort, 1);
    EXPECT_FALSE(state.meterPort);
    EXPECT_TRUE(state.workingDirectory.isEmpty());
    for (bool present : state.portPresent)
        EXPECT_FALSE(present);
    EXPECT_EQ(state.taskbarHeight, 0);
    EXPECT_EQ(state.fHiLimit, 0.0);
    EXPECT_EQ(state.fLowLimit, 0.0);
    EXPECT_FALSE(state.readingAvailable);
    EXPECT_FALSE(state.fileLoadBusy());
}

TEST(GlobalStateTest, FileLoadBusyAnnouncesEachChange)
{
    GlobalState state;
    QList<bool> seen;
    QObject::connect(&state, &GlobalState::fileLoadBusyChanged, [&](bool busy) { seen.append(busy); });
    state.setFileLoadBusy(true);
    state.setFileLoadBusy(true);
    state.setFileLoadBusy(false);
    EXPECT_EQ(seen, (QList<bool>{true, false}));
}

TEST(GlobalStateTest, PortPresenceIsAskedByPortNumber)
{
    GlobalState state;
    state.portPresent[0] = true; // COM1
    state.portPresent[7] = true; // COM8
    EXPECT_TRUE(state.isPortPresent(1));
    EXPECT_FALSE(state.isPortPresent(2));
    EXPECT_TRUE(state.isPortPresent(8));
    EXPECT_FALSE(state.isPortPresent(0));
    EXPECT_FALSE(state.isPortPresent(9));
}

TEST_F(SettingsFileTest, LoadingIntoTheStateKeepsItUntouchedWhenUnreadable)
{
    GlobalState state;
    state.workingDirectory = dir();

    // First start: no file, the defaults.
    SettingsReadResult r = loadSettings(state);
    EXPECT_EQ(r.status, SettingsReadStatus::Missing);
    EXPECT_EQ(state.iPort, 2);
    EXPECT_EQ(state.fHiLimit, 300.0);
    EXPECT_EQ(state.fLowLimit, 100.0);

    // Unreadable: the start-up values stay.
    GlobalState fresh;
    fresh.workingDirectory = dir();
    ASSERT_TRUE(QDir(dir()).mkdir("KORUDL.ini"));
    r = loadSettings(fresh);
    EXPECT_EQ(r.status, SettingsReadStatus::Unreadable);
    EXPECT_EQ(fresh.iPort, 1);
    EXPECT_EQ(fresh.fHiLimit, 0.0);
    EXPECT_EQ(fresh.fLowLimit, 0.0);
}

TEST_F(SettingsFileTest, SavingTakesThePortFromTheStateAndTheLimitsFromTheCaller)
{
    GlobalState state;
    state.workingDirectory = dir();
    state.iPort = 6;
    state.fHiLimit = 1.0; // as read at start-up: not what is saved
    state.fLowLimit = 0.0;
    ASSERT_TRUE(saveSettings(state, 12.5, 2.0));
    EXPECT_EQ(readBytes(settingsPath()), "iPort=6\r\nfHiLimit=12.5\r\nfLowLimit=2\r\n");

    GlobalState next;
    next.workingDirectory = dir();
    EXPECT_EQ(loadSettings(next).status, SettingsReadStatus::Ok);
    EXPECT_EQ(next.iPort, 6);
    EXPECT_EQ(next.fHiLimit, 12.5);
    EXPECT_EQ(next.fLowLimit, 2.0);
}

} // namespace
} // namespace vt640
