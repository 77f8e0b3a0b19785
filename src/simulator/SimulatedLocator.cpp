#include "simulator/SimulatedLocator.h"

#include "discovery/LoggerLetter.h"
#include "settings/NumberText.h"

namespace veltra {

std::vector<std::string> SimulatedLocator::collectMatchEntries() {
    if (!simulator_.connected()) {
        return {};
    }
    return {formatText("PFAD_%c\\VID_%04X&PID_%04X\\SIM%08u", letter_, LoggerVendorId,
                       LoggerProductId, simulator_.settings().serial)};
}

std::optional<std::filesystem::path> SimulatedLocator::rootOf(char drive) const {
    if (drive != letter_) {
        return std::nullopt;
    }
    return simulator_.folder();
}

}  // namespace veltra
