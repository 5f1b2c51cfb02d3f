#include "meter/port_table.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>

namespace vt640 {
namespace {

namespace fs = std::filesystem;

// Sets or clears an environment variable for the life of the object.
class ScopedEnv {
public:
    ScopedEnv(const char* name, std::optional<std::string> value) : name_(name)
    {
        if (const char* old = std::getenv(name))
            old_ = old;
        if (value)
            setenv(name, value->c_str(), 1);
        else
            unsetenv(name);
    }
    ~ScopedEnv()
    {
        if (old_)
            setenv(name_, old_->c_str(), 1);
        else
            unsetenv(name_);
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

fs::path makeTempDir()
{
    std::string pattern = (fs::temp_directory_path() / "vt640-ports-XXXXXX").string();
    return mkdtemp(pattern.data()) != nullptr ? fs::path(pattern) : fs::path();
}

class PortTableTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(root_.empty());
        portsDir_ = root_ / "config" / "vt640" / "ports";
        fs::create_directories(portsDir_);
    }
    void TearDown() override
    {
        std::error_code ec;
        fs::remove_all(root_, ec);
    }

    fs::path root_ = makeTempDir();
    fs::path portsDir_;
    ScopedEnv xdg_{"XDG_CONFIG_HOME", (root_ / "config").string()};
};

TEST(PortTableNames, NumbersOneToTenNameThePorts)
{
    EXPECT_EQ(PortTable::portName(1), "COM1");
    EXPECT_EQ(PortTable::portName(9), "COM9");
    EXPECT_EQ(PortTable::portName(10), "COM10");
    EXPECT_EQ(PortTable::portName(0), "");
    EXPECT_EQ(PortTable::portName(11), "");
    EXPECT_EQ(PortTable::portName(-1), "");
}

TEST(PortTableNames, DefaultDevicesFollowTheThreeRanges)
{
    EXPECT_EQ(PortTable::defaultDevice(1), "/dev/ttyS0");
    EXPECT_EQ(PortTable::defaultDevice(4), "/dev/ttyS3");
    EXPECT_EQ(PortTable::defaultDevice(5), "/dev/ttyUSB0");
    EXPECT_EQ(PortTable::defaultDevice(8), "/dev/ttyUSB3");
    EXPECT_EQ(PortTable::defaultDevice(9), "/dev/ttyACM0");
    EXPECT_EQ(PortTable::defaultDevice(10), "/dev/ttyACM1");
    EXPECT_EQ(PortTable::defaultDevice(0), "");
    EXPECT_EQ(PortTable::defaultDevice(11), "");
}

TEST_F(PortTableTest, WithoutLinkOrOverrideTheDefaultIsOpened)
{
    const PortTable table;
    EXPECT_EQ(table.devicePath(2), "/dev/ttyS1");
    EXPECT_EQ(table.devicePath(6), "/dev/ttyUSB1");
    EXPECT_EQ(table.devicePath(10), "/dev/ttyACM1");
    EXPECT_EQ(table.devicePath(0), "");
    EXPECT_EQ(table.devicePath(11), "");
}

TEST_F(PortTableTest, LinkInThePortsFolderWinsAndIsNotResolved)
{
    EXPECT_EQ(PortTable::portsFolder(), portsDir_);
    // The target need not exist: the user's choice stands, and opening it fails.
    fs::create_symlink("/dev/vt640-nowhere", portsDir_ / "COM3");
    fs::create_symlink("/dev/vt640-elsewhere", portsDir_ / "COM10");

    const PortTable table;
    EXPECT_EQ(table.devicePath(3), (portsDir_ / "COM3").string());
    EXPECT_EQ(table.devicePath(10), (portsDir_ / "COM10").string());
    // COM1 is not mistaken for COM10's link.
    EXPECT_EQ(table.devicePath(1), "/dev/ttyS0");
}

TEST_F(PortTableTest, OverrideWinsOverLinkUntilCleared)
{
    fs::create_symlink("/dev/vt640-nowhere", portsDir_ / "COM5");
    PortTable table;
    table.setOverride(5, "/dev/pts/99");
    table.setOverride(7, "/dev/pts/98");
    EXPECT_EQ(table.devicePath(5), "/dev/pts/99");
    EXPECT_EQ(table.devicePath(7), "/dev/pts/98");

    table.clearOverride(5);
    table.clearOverride(7);
    EXPECT_EQ(table.devicePath(5), (portsDir_ / "COM5").string());
    EXPECT_EQ(table.devicePath(7), "/dev/ttyUSB2");
}

TEST_F(PortTableTest, UnusableConfigHomeFallsBackToDotConfig)
{
    const ScopedEnv home("HOME", root_.string());
    const fs::path expected = root_ / ".config" / "vt640" / "ports";
    {
        const ScopedEnv xdg("XDG_CONFIG_HOME", "");
        EXPECT_EQ(PortTable::portsFolder(), expected);
    }
    {
        const ScopedEnv xdg("XDG_CONFIG_HOME", "relative/config");
        EXPECT_EQ(PortTable::portsFolder(), expected);
    }
    {
        const ScopedEnv xdg("XDG_CONFIG_HOME", std::nullopt);
        EXPECT_EQ(PortTable::portsFolder(), expected);
        fs::create_directories(expected);
        fs::create_symlink("/dev/vt640-nowhere", expected / "COM4");
        EXPECT_EQ(PortTable().devicePath(4), (expected / "COM4").string());
    }
}

} // namespace
} // namespace vt640

TEST(PortTableNames, NumberOfAName)
{
    EXPECT_EQ(vt640::PortTable::portNumber("COM1"), 1);
    EXPECT_EQ(vt640::PortTable::portNumber("COM10"), 10);
    EXPECT_EQ(vt640::PortTable::portNumber("COM11"), 0);
    EXPECT_EQ(vt640::PortTable::portNumber("com1"), 0);
    EXPECT_EQ(vt640::PortTable::portNumber("/dev/ttyS0"), 0);
}
