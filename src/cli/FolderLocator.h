#pragma once

#include <filesystem>

#include "core/LoggerLocator.h"

namespace veltra::cli {

// A locator for a drive named on the command line: the folder stands for a logger at drive
// `letter` whenever it holds a DAT.SRC (whatever the case of the name).
class FolderLocator : public LoggerLocator {
  public:
    explicit FolderLocator(std::filesystem::path root, char letter = 'D')
        : root_(std::move(root)), letter_(letter) {}

    std::vector<std::string> collectMatchEntries() override;
    std::optional<std::filesystem::path> rootOf(char drive) const override;

  private:
    std::filesystem::path root_;
    char letter_;
};

}  // namespace veltra::cli
