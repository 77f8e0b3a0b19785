#include "cli/FolderLocator.h"

#include <algorithm>
#include <cctype>

#include "logger/LoggerFiles.h"

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
    return {std::string("PFAD_") + letter_ + "\\VID_2017&PID_0901\\"};
}

std::optional<std::filesystem::path> FolderLocator::rootOf(char drive) const {
    if (drive != letter_) {
        return std::nullopt;
    }
    return root_;
}

}  // namespace veltra::cli
