// Reading a small file whole: a longer one is cut one byte past the limit,
// and what is planted at the name (a pipe, a link) neither blocks nor leads
// elsewhere when links are not to be followed.
#include "fileio/small_file.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <fstream>

#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;
using vt640::readSmallFile;

TEST(SmallFile, IsReadWholeOrOneBytePastTheLimit)
{
    const fs::path dir = fs::temp_directory_path() / ("vt640-small-" + std::to_string(::getpid()));
    fs::remove_all(dir);
    fs::create_directories(dir);
    const std::string path = (dir / "token").string();
    int error = -1;

    std::ofstream(path) << "abc\n";
    EXPECT_EQ(readSmallFile(path, 4, true, error), "abc\n");
    EXPECT_EQ(error, 0);
    std::ofstream(path) << std::string(5000, 'x');
    EXPECT_EQ(readSmallFile(path, 4096, true, error), std::string(4097, 'x'));

    EXPECT_FALSE(readSmallFile((dir / "none").string(), 10, true, error));
    EXPECT_EQ(error, ENOENT);

    // A pipe with no writer: read at once as empty, never waited on.
    const std::string pipe = (dir / "pipe").string();
    ASSERT_EQ(::mkfifo(pipe.c_str(), 0600), 0);
    EXPECT_EQ(readSmallFile(pipe, 10, false, error), "");

    // A link: followed when asked, refused otherwise.
    const std::string link = (dir / "link").string();
    std::ofstream(path) << "target";
    fs::create_symlink(path, link);
    EXPECT_EQ(readSmallFile(link, 10, true, error), "target");
    EXPECT_FALSE(readSmallFile(link, 10, false, error));
    EXPECT_EQ(error, ELOOP);
    fs::remove_all(dir);
}
