#include "cli/FolderLocator.h"

#include <algorithm>
#include <cctype>

#include "discovery/LoggerLetter.h"
#include "logger/LoggerFiles.h"
#include "settings/NumberText.h"

namespace veltra::cli {

namespace {

bool sameNameIgnoringCase(const std::string& a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::toupper(static_cast<unsigned char>(x)) ==
                      std::toupper(static_cast<unsigned char>(y));
           });
}

// A folder that cannot be listed (gone, or failing) holds none.
bool holdsDeviceImage(const std::filesystem::path& root) {
    std::error_code error;
    for (std::filesystem::directory_iterator entry(root, error), end; !error && entry != end;
         entry.increment(error)) {
        if (sameNameIgnoringCase(entry->path().filename().string(), DeviceImageFile)) {
            return true;
        }
    }
    return false;
}

}  // namespace

std::vector<std::string> FolderLocator::collectMatchEntries() {
    if (!holdsDeviceImage(root_)) {
        return {};
    }
    return {formatText("PFAD_%c\\VID_%04X&PID_%04X\\", letter_, LoggerVendorId, LoggerProductId)};
}

std::optional<std::filesystem::path> FolderLocator::rootOf(char drive) const {
    if (drive != letter_) {
        return std::nullopt;
    }
    return root_;
}

}  // namespace veltra::cli
