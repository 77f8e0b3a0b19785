#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace veltra {

// One line of a mountinfo table (see proc(5)), with the octal escapes of its paths decoded.
struct MountEntry {
    unsigned mountId = 0;
    unsigned major = 0;
    unsigned minor = 0;
    std::string root;        // the folder of the filesystem that is mounted ("/" for all of it)
    std::string mountPoint;  // where it is mounted
    std::string options;     // per-mount options, "rw,nosuid,..."
    std::string fsType;
    std::string source;
    std::string superOptions;

    // Mounted read-only, by the mount or by its filesystem.
    bool readOnly() const;
};

// The entries of a mountinfo text, in its order; malformed lines are skipped.
std::vector<MountEntry> parseMountInfo(std::string_view text);

// A mountinfo field with its escapes (\040 for a space and the like) decoded.
std::string unescapeMountField(std::string_view field);

}  // namespace veltra
