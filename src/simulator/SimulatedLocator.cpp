#include "simulator/SimulatedLocator.h"

#include "settings/NumberText.h"

namespace veltra {

std::vector<std::string> SimulatedLocator::collectMatchEntries() {
    if (!simulator_.connected()) {
        return {};
    }
    return {
        formatText("PFAD_%c\\VID_2017&PID_0901\\SIM%08u", letter_, simulator_.settings().serial)};
}

std::optional<std::filesystem::path> SimulatedLocator::rootOf(char drive) const {
    if (drive != letter_) {
        return std::nullopt;
    }
    return simulator_.folder();
}

}  // namespace veltra
