#include <gtest/gtest.h>

#include <array>
#include <fstream>
#include <iterator>

#include "SysfsTree.h"
#include "platform/linux/FolderDriveFiles.h"

namespace veltra {
namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

std::string contents(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// What a faulty drive does to the command line is in the fault table (tests/faults); these
// are the back end's own promises.
class FolderDriveFilesTest : public ::testing::Test {
  protected:
    FolderDriveFilesTest() { fs::create_directories(root); }

    std::unique_ptr<DriveSession> session(std::optional<milliseconds> lockWait = std::nullopt) {
        return files.open('E', lockWait).session;
    }
    static std::optional<std::string> read(DriveSession& drive, const char* name) {
        std::array<std::uint8_t, 64> buffer{};
        const auto count = drive.read(name, buffer);
        if (!count) {
            return std::nullopt;
        }
        return std::string(buffer.begin(), buffer.begin() + static_cast<long>(*count));
    }
    static bool write(DriveSession& drive, const char* name, const std::string& text) {
        auto file = drive.create(name);
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(text.data());
        return file && file->write({bytes, text.size()}) && file->finish();
    }

    SysfsTree tree;  // only for its temporary folder
    fs::path root = tree.base() / "LOGGER";
    FolderDriveFiles files{[this](char drive) -> std::optional<fs::path> {
        return drive == 'E' ? std::optional(root) : std::nullopt;
    }};
};

TEST_F(FolderDriveFilesTest, FindsTheFileWhateverTheCaseOfItsName) {
    tree.write(root / "dat.src", "image");
    const auto drive = session();
    ASSERT_TRUE(drive);
    EXPECT_EQ(read(*drive, "DAT.SRC"), "image");
    EXPECT_EQ(read(*drive, "Dat.Src"), "image");  // the folder is listed afresh each time
    EXPECT_FALSE(read(*drive, "APP.BIN"));
    EXPECT_FALSE(files.open('F', std::nullopt).session);

    // A file the logger spells in lower case is rewritten or removed, not doubled.
    tree.write(root / "config.cfg", "old");
    EXPECT_TRUE(write(*drive, "CONFIG.CFG", "new"));
    EXPECT_EQ(contents(root / "config.cfg"), "new");
    EXPECT_FALSE(fs::exists(root / "CONFIG.CFG"));
    tree.write(root / "ok.dat", "OK");
    EXPECT_TRUE(drive->remove("OK.DAT"));
    EXPECT_FALSE(fs::exists(root / "ok.dat"));
    EXPECT_TRUE(drive->remove("OK.DAT"));  // nothing there is as good as removed
}

TEST_F(FolderDriveFilesTest, OneWriterAtATimeReadersAlways) {
    auto writer = session(milliseconds(0));
    ASSERT_TRUE(writer);
    const DriveOpening second = files.open('E', milliseconds(100));
    EXPECT_FALSE(second.session);
    EXPECT_EQ(second.refusal, DriveRefusal::Busy);
    EXPECT_TRUE(session());
    writer.reset();
    EXPECT_TRUE(session(milliseconds(0)));
}

TEST_F(FolderDriveFilesTest, TheHeldRootIsTheOneWrittenTo) {
    const auto drive = session(milliseconds(0));
    ASSERT_TRUE(drive);
    const DriveIdentity held = drive->identity();
    fs::rename(root, tree.base() / "MOVED");
    fs::create_directories(root);  // another folder where the drive was
    EXPECT_TRUE(write(*drive, "CONFIG.CFG", "new"));
    EXPECT_EQ(contents(tree.base() / "MOVED" / "CONFIG.CFG"), "new");
    EXPECT_FALSE(fs::exists(root / "CONFIG.CFG"));
    EXPECT_NE(session()->identity(), held);
}

}  // namespace
}  // namespace veltra
