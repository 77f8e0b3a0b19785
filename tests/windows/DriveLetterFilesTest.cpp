#include <gtest/gtest.h>
#include <windows.h>

#include <array>
#include <fstream>
#include <thread>

#include "core/HostCharset.h"
#include "platform/windows/DriveLetterFiles.h"
#include "support/TempFolder.h"
#include "win32/WideText.h"

namespace veltra {
namespace {

using Bytes = std::vector<std::uint8_t>;

Bytes pattern(std::size_t size) {
    Bytes bytes(size);
    for (std::size_t i = 0; i < size; ++i) {
        bytes[i] = static_cast<std::uint8_t>(i * 7 + i / 251);
    }
    return bytes;
}

class DriveLetterFilesTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(drive); }
    void put(const std::string& name, const Bytes& bytes) {
        std::ofstream(folder.path() / name, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
    }
    std::optional<Bytes> read(const std::string& name, std::size_t size) {
        Bytes bytes(size);
        const auto count = drive->read(name, bytes);
        bytes.resize(count.value_or(0));
        return count ? std::optional(bytes) : std::nullopt;
    }

    test::TempFolder folder;
    DriveLetterFiles files{[this](char letter) {
        return letter == 'E' ? std::optional(folder.path()) : std::nullopt;
    }};
    std::unique_ptr<DriveSession> drive = files.open('E', std::chrono::milliseconds(0)).session;
};

// Reads go by whole sectors but return only what fits; a write replaces a longer file.
TEST_F(DriveLetterFilesTest, ReadsWhatFitsAndWritesExactlyTheBytes) {
    for (const auto& [fileSize, room, expected] :
         {std::array<std::size_t, 3>{353, 100, 100}, {65537, 131072, 65537}}) {
        put("DAT.SRC", pattern(fileSize));
        EXPECT_EQ(read("DAT.SRC", room), pattern(expected)) << fileSize;
    }
    const Bytes bytes = {'O', 'K', '\r', '\n', 0, 0x1A, 0xFF};
    auto file = drive->create("DAT.SRC");
    ASSERT_TRUE(file && file->write(bytes) && file->finish());
    EXPECT_EQ(read("DAT.SRC", 100), bytes);
    EXPECT_TRUE(drive->remove("DAT.SRC"));
    EXPECT_TRUE(drive->remove("DAT.SRC"));  // nothing there is as good as removed
}

// Only plain files in the root are used; a file with a second name elsewhere is never
// written, as the writes would reach it there.
TEST_F(DriveLetterFilesTest, RefusesWhatIsNotAPlainFileInTheRoot) {
    std::filesystem::create_directory(folder.path() / "APP.BIN");
    put("DAT.SRC", pattern(10));
    ASSERT_TRUE(::CreateHardLinkW((folder.path() / "LINK.CFG").c_str(),
                                  (folder.path() / "DAT.SRC").c_str(), nullptr));
    for (const char* name : {"APP.BIN", "", "..", "..\\DAT.SRC", "sub/DAT.SRC", "DAT.SRC:s",
                             "D*T.SRC", "C:DAT.SRC", "LINK.CFG"}) {
        EXPECT_FALSE(drive->create(name)) << name;
        EXPECT_TRUE(!read(name, 10) || name == std::string("LINK.CFG")) << name;
    }
    EXPECT_FALSE(drive->remove("APP.BIN"));
    EXPECT_EQ(read("DAT.SRC", 100), pattern(10));
    EXPECT_FALSE(files.open('F', std::nullopt).session);
}

// The lock is the volume's: another thread's writer waits for it, a reader does not.
TEST_F(DriveLetterFilesTest, OneWriterAtATime) {
    DriveOpening other;
    std::thread([&] { other = files.open('E', std::chrono::milliseconds(50)); }).join();
    EXPECT_EQ(other.refusal, DriveRefusal::Busy);
    std::thread([&] { other = files.open('E', std::nullopt); }).join();
    EXPECT_TRUE(other.session);
    drive.reset();
    std::thread([&] { other = files.open('E', std::chrono::milliseconds(0)); }).join();
    EXPECT_TRUE(other.session);
}

// Messages reach the message box as UTF-16; host text is the code page's.
TEST(WindowsText, ConvertsOrRefuses) {
    EXPECT_EQ(utf8ToWide("25.0\xE2\x84\x83 \xFF"), L"25.0\u2103 \uFFFD");
    EXPECT_FALSE(utf8ToHostText("\xC3"));  // a cut UTF-8 sequence
}

}  // namespace
}  // namespace veltra
