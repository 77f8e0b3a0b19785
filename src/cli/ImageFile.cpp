#include "cli/ImageFile.h"

#include <algorithm>
#include <cctype>
#include <filesystem>

#include "cli/Command.h"
#include "logger/LoggerFiles.h"
#include "platform/DriveFilesFactory.h"

namespace veltra::cli {

namespace {

namespace fs = std::filesystem;

bool sameName(const std::string& a, const std::string& b) {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](unsigned char x, unsigned char y) {
               return std::toupper(x) == std::toupper(y);
           });
}

}  // namespace

ImageFileRead readImageFile(const std::string& given, std::int32_t hostUtcOffset) {
    ImageFileRead read;
    auto fail = [&](int exitCode, const std::string& message) {
        read.exitCode = exitCode;
        read.message = message;
        return read;
    };
    // The path the user named, links in it followed; from there on its files are never
    // reached through a link.
    std::error_code error;
    const fs::path path = fs::canonical(given, error);
    if (error) {
        return fail(error == std::errc::no_such_file_or_directory ? ExitRefused : ExitIoFailure,
                    "cannot find " + given + ": " + error.message());
    }
    const bool folder = fs::is_directory(path, error);
    const fs::path root = folder ? path : path.parent_path();
    const std::string name = folder ? std::string(DeviceImageFile) : path.filename().string();
    bool listed = false;
    for (fs::directory_iterator entry(root, error), end; !error && entry != end;
         entry.increment(error)) {
        listed = listed || sameName(entry->path().filename().string(), name);
    }
    if (error) {
        return fail(ExitIoFailure, "cannot list " + root.string() + ": " + error.message());
    }
    if (!listed) {
        return fail(ExitRefused, given + " holds no " + name);
    }
    DeviceImage image;
    const auto drive = makeFolderDrive(root);
    const DriveOpening opening = drive->open('D', std::nullopt);
    const auto count = opening.session ? opening.session->read(name, image.bytes) : std::nullopt;
    if (!count) {
        return fail(ExitIoFailure, "cannot read " + (root / name).string() +
                                       " (unreadable, or not a regular file)");
    }
    image.count = static_cast<std::uint32_t>(*count);
    const ImageVerdict verdict =
        parseDeviceImage(image.content(), hostUtcOffset, read.info, read.params);
    if (verdict != ImageVerdict::Accepted) {
        read.refusal = describe(verdict);
        return fail(ExitRefused, (root / name).string() + " was refused: " + describe(verdict));
    }
    return read;
}

}  // namespace veltra::cli
