#include "SysfsTree.h"

void SysfsTree::mount(unsigned id, const std::string& number, const std::string& mountPoint,
                      const std::string& root, const std::string& options,
                      const std::string& source) {
    std::string point;
    for (const char c : mountPoint) {
        point += c == ' ' ? std::string("\\040") : std::string(1, c);
    }
    mounts_[id] = std::to_string(id) + " 1 " + number + " " + root + " " + point + " " + options +
                  " shared:" + std::to_string(id) + " - vfat " + source + " rw";
    std::string text;
    for (const auto& [ignored, line] : mounts_) {
        text += line + "\n";
    }
    write(mountInfo(), text);
}
