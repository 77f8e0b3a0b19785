#include "cli/LoggerSet.h"

#include "cli/FolderLocator.h"
#include "discovery/LoggerLetter.h"
#include "platform/LocatorFactory.h"

namespace veltra::cli {

namespace {

constexpr char FirstFolderLetter = 'D';

// Several folders, each standing for a logger under a letter of its own.
class FoldersLocator : public LoggerLocator {
  public:
    explicit FoldersLocator(const std::vector<std::filesystem::path>& folders) {
        char letter = FirstFolderLetter;
        for (const auto& folder : folders) {
            folders_.emplace_back(folder, letter++);
        }
    }
    std::vector<std::string> collectMatchEntries() override {
        std::vector<std::string> entries;
        for (FolderLocator& folder : folders_) {
            const auto found = folder.collectMatchEntries();
            entries.insert(entries.end(), found.begin(), found.end());
        }
        return entries;
    }
    std::optional<std::filesystem::path> rootOf(char drive) const override {
        for (const FolderLocator& folder : folders_) {
            if (auto root = folder.rootOf(drive)) {
                return root;
            }
        }
        return std::nullopt;
    }

  private:
    std::vector<FolderLocator> folders_;
};

}  // namespace

// Shows one dialog the logger at one letter and none of the others.
class LoggerSet::OneLetterLocator : public LoggerLocator {
  public:
    OneLetterLocator(LoggerSet& set, LoggerLocator& all, char letter)
        : set_(set), all_(all), letter_(letter) {}
    std::vector<std::string> collectMatchEntries() override {
        std::vector<std::string> entries = set_.entries();
        std::erase_if(entries, [this](const std::string& entry) {
            return entryDriveLetter(entry) != letter_;
        });
        return entries;
    }
    std::optional<std::filesystem::path> rootOf(char drive) const override {
        return drive == letter_ ? all_.rootOf(drive) : std::nullopt;
    }

  private:
    LoggerSet& set_;
    LoggerLocator& all_;
    char letter_;
};

LoggerSet::LoggerSet(const std::vector<std::string>& folders) : names_(folders) {
    if (folders.empty()) {
        all_ = makeLoggerLocator();
        return;
    }
    // Each folder with the links in its path followed; from there on the drive's files are
    // never reached through a link.
    std::vector<std::filesystem::path> roots;
    for (const std::string& folder : folders) {
        std::error_code error;
        const auto root = std::filesystem::canonical(folder, error);
        roots.push_back(error ? std::filesystem::path(folder) : root);
    }
    all_ = std::make_unique<FoldersLocator>(roots);
}

LoggerSet::~LoggerSet() = default;

const std::vector<std::string>& LoggerSet::entries() {
    if (!scan_) {
        scan_ = all_->collectMatchEntries();
    }
    return *scan_;
}

std::vector<char> LoggerSet::present() {
    std::vector<char> letters;
    for (const std::string& entry : entries()) {
        if (const char letter = entryDriveLetter(entry); letter != 0 && isLoggerEntry(entry)) {
            letters.push_back(letter);
        }
    }
    return letters;
}

std::vector<char> LoggerSet::named() {
    if (names_.empty()) {
        return present();
    }
    std::vector<char> letters;
    for (std::size_t i = 0; i < names_.size(); ++i) {
        letters.push_back(static_cast<char>(FirstFolderLetter + i));
    }
    return letters;
}

std::unique_ptr<LoggerLocator> LoggerSet::only(char letter) {
    return std::make_unique<OneLetterLocator>(*this, *all_, letter);
}

std::vector<std::filesystem::path> LoggerSet::roots() {
    std::vector<std::filesystem::path> found;
    for (const char letter : names_.empty() ? present() : named()) {
        if (auto root = all_->rootOf(letter)) {
            found.push_back(std::move(*root));
        }
    }
    return found;
}

std::string LoggerSet::where(char letter) const {
    const auto index = static_cast<std::size_t>(letter - FirstFolderLetter);
    if (!names_.empty() && index < names_.size()) {
        return names_[index];
    }
    return all_->rootOf(letter).value_or("?").string();
}

}  // namespace veltra::cli
