#pragma once

#include "core/LoggerLocator.h"
#include "simulator/LoggerSimulator.h"

namespace veltra {

// A locator that finds one simulated logger at a fixed drive letter while it is connected.
class SimulatedLocator : public LoggerLocator {
  public:
    explicit SimulatedLocator(const LoggerSimulator& simulator, char letter = 'E')
        : simulator_(simulator), letter_(letter) {}

    std::vector<std::string> collectMatchEntries() override;
    std::optional<std::filesystem::path> rootOf(char drive) const override;

  private:
    const LoggerSimulator& simulator_;
    char letter_;
};

}  // namespace veltra
