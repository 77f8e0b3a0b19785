#include "platform/linux/SysfsBlock.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <system_error>

namespace veltra {

namespace fs = std::filesystem;

namespace {

// sysfs attributes are one short line.
constexpr std::size_t AttributeLimit = 4096;

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ' || text.back() == '\t' ||
                             text.back() == '\r' || text.back() == '\0')) {
        text.remove_suffix(1);
    }
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    return text;
}

bool isUnder(const fs::path& folder, const fs::path& base) {
    const auto [end, _] = std::mismatch(base.begin(), base.end(), folder.begin(), folder.end());
    return end == base.end();
}

}  // namespace

std::optional<std::string> readSmallFile(const fs::path& path) {
    const UniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
    if (!fd) {
        return std::nullopt;
    }
    // An attribute comes whole in one read; only a full buffer asks for more.
    std::string text(AttributeLimit, '\0');
    std::size_t total = 0;
    bool failed = false;
    while (total < text.size()) {
        const ssize_t got = ::read(fd.get(), text.data() + total, text.size() - total);
        if (got < 0 && errno == EINTR) {
            continue;
        }
        if (got <= 0) {
            failed = got < 0;
            break;
        }
        const bool shortRead = static_cast<std::size_t>(got) < text.size() - total;
        total += static_cast<std::size_t>(got);
        if (shortRead) {
            break;
        }
    }
    if (failed) {
        return std::nullopt;
    }
    text.resize(total);
    return text;
}

std::optional<BlockNumber> parseBlockNumber(std::string_view text) {
    text = trimmed(text);
    const std::size_t colon = text.find(':');
    if (colon == std::string_view::npos) {
        return std::nullopt;
    }
    BlockNumber number;
    const std::string_view major = text.substr(0, colon);
    const std::string_view minor = text.substr(colon + 1);
    const auto a = std::from_chars(major.data(), major.data() + major.size(), number.major);
    const auto b = std::from_chars(minor.data(), minor.data() + minor.size(), number.minor);
    if (major.empty() || minor.empty() || a.ec != std::errc() ||
        a.ptr != major.data() + major.size() || b.ec != std::errc() ||
        b.ptr != minor.data() + minor.size() || number.major >= (1u << 12) ||
        number.minor >= (1u << 20)) {
        return std::nullopt;
    }
    return number;
}

SysfsBlock::SysfsBlock(const fs::path& root) : root_(fs::absolute(root).lexically_normal()) {
    if (!root_.has_filename() && root_.has_parent_path()) {
        root_ = root_.parent_path();  // no trailing separator, so that folders compare
    }
    beginSearch();
}

void SysfsBlock::beginSearch() {
    if (!devBlock_) {
        const fs::path folder = root_ / "dev" / "block";
        devBlock_.reset(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        problem_ = devBlock_ ? std::string()
                             : "cannot read " + folder.string() + ": " + std::strerror(errno);
    }
    links_.clear();
    std::erase_if(devices_, [](const auto& known) { return !known.second.reached; });
    for (auto& [_, known] : devices_) {
        known.reached = false;
    }
}

bool SysfsBlock::isPresent(BlockNumber number) {
    ++lookups_;
    struct stat info {};
    return devBlock_ &&
           ::fstatat(devBlock_.get(), number.text().c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0;
}

std::optional<fs::path> SysfsBlock::deviceFolder(BlockNumber number) {
    const auto known = links_.find(number.packed());
    if (known != links_.end()) {
        return known->second;
    }
    std::optional<fs::path> folder;
    char target[4096];
    ++lookups_;
    const ssize_t length =
        devBlock_ ? ::readlinkat(devBlock_.get(), number.text().c_str(), target, sizeof target)
                  : -1;
    if (length > 0 && static_cast<std::size_t>(length) < sizeof target) {
        fs::path found =
            (root_ / "dev" / "block" / std::string_view(target, static_cast<std::size_t>(length)))
                .lexically_normal();
        if (isUnder(found, root_ / "devices")) {
            folder = std::move(found);
        }
    }
    links_.emplace(number.packed(), folder);
    return folder;
}

bool SysfsBlock::isVirtual(const fs::path& folder) const {
    return isUnder(folder, root_ / "devices" / "virtual");
}

bool SysfsBlock::exists(const fs::path& path) {
    ++lookups_;
    struct stat info {};
    return ::stat(path.c_str(), &info) == 0;
}

std::optional<std::string> SysfsBlock::attribute(const fs::path& path) {
    ++lookups_;
    auto text = readSmallFile(path);
    if (!text) {
        return std::nullopt;
    }
    return std::string(trimmed(*text));
}

SysfsBlock::Device SysfsBlock::device(const fs::path& folder) {
    const auto known = devices_.find(folder.native());
    if (known != devices_.end()) {
        known->second.reached = true;
        return known->second.device;
    }
    Device device = readDevice(folder);
    // Nothing is kept of a device that could not be read whole: the next search tries again.
    if (device.diskNumber && device.parentId) {
        devices_.emplace(folder.native(), Known{device, true});
    }
    return device;
}

SysfsBlock::Device SysfsBlock::readDevice(const fs::path& folder) {
    // The kernel gives a new device a new folder only after its parents and attributes are in
    // place, and a folder's path names one place in the device tree: what is read here holds
    // for as long as the folder is there.
    Device device;
    device.disk = exists(folder / "partition") ? folder.parent_path() : folder;
    if (const auto text = attribute(device.disk / "dev")) {
        device.diskNumber = parseBlockNumber(*text);
    }
    device.removable = attribute(device.disk / "removable") == "1";

    const fs::path top = root_ / "devices";
    for (fs::path at = device.disk.parent_path(); isUnder(at, top) && at != top;
         at = at.parent_path()) {
        // The nearest USB device is the one with either id: with one of them gone (it is
        // being removed) the walk must not go on to the root hub and take its ids.
        if (!exists(at / "idVendor") && !exists(at / "idProduct")) {
            continue;
        }
        device.onUsb = true;
        const auto vendor = attribute(at / "idVendor");
        const auto product = attribute(at / "idProduct");
        if (vendor && product) {
            const std::string serial = attribute(at / "serial").value_or("");
            device.parentId = "USB\\VID_" + *vendor + "&PID_" + *product + "\\" + serial;
        }
        return device;
    }
    // Not on USB: the id names the disk's parent device on its own bus.
    fs::path parent = device.disk.parent_path();
    if (parent.filename() == "block") {
        parent = parent.parent_path();
    }
    device.parentId = "SYSFS\\" + relative(parent);
    return device;
}

std::string SysfsBlock::relative(const fs::path& folder) const {
    return folder.lexically_relative(root_).string();
}

}  // namespace veltra
