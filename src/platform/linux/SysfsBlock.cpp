#include "platform/linux/SysfsBlock.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <system_error>

#include "platform/linux/UniqueFd.h"

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

std::optional<std::string> readAttribute(const fs::path& path) {
    auto text = readSmallFile(path);
    if (!text) {
        return std::nullopt;
    }
    return std::string(trimmed(*text));
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
}

std::optional<fs::path> SysfsBlock::deviceFolder(BlockNumber number) const {
    const fs::path link = root_ / "dev" / "block" / number.text();
    std::error_code error;
    const fs::path target = fs::read_symlink(link, error);
    if (error) {
        return std::nullopt;
    }
    const fs::path folder = (link.parent_path() / target).lexically_normal();
    if (!isUnder(folder, root_ / "devices")) {
        return std::nullopt;
    }
    return folder;
}

bool SysfsBlock::isVirtual(const fs::path& folder) const {
    return isUnder(folder, root_ / "devices" / "virtual");
}

const SysfsBlock::Shape& SysfsBlock::shapeOf(const fs::path& folder) const {
    const auto known = shapes_.find(folder.native());
    if (known != shapes_.end()) {
        return known->second;
    }
    if (shapes_.size() >= ShapeLimit) {
        shapes_.clear();
    }
    Shape shape;
    std::error_code error;
    shape.partition = fs::exists(folder / "partition", error);
    const fs::path top = root_ / "devices";
    for (fs::path at = folder.parent_path(); isUnder(at, top) && at != top; at = at.parent_path()) {
        if (fs::exists(at / "idVendor", error) && fs::exists(at / "idProduct", error)) {
            shape.usbAncestor = at;
            break;
        }
    }
    return shapes_.emplace(folder.native(), std::move(shape)).first->second;
}

fs::path SysfsBlock::wholeDisk(const fs::path& folder) const {
    return shapeOf(folder).partition ? folder.parent_path() : folder;
}

std::optional<BlockNumber> SysfsBlock::readNumber(const fs::path& folder) const {
    const auto text = readSmallFile(folder / "dev");
    return text ? parseBlockNumber(*text) : std::nullopt;
}

bool SysfsBlock::isRemovable(const fs::path& disk) const {
    const auto text = readAttribute(disk / "removable");
    return text && *text == "1";
}

std::optional<fs::path> SysfsBlock::usbAncestor(const fs::path& folder) const {
    const fs::path top = root_ / "devices";
    std::error_code error;
    for (fs::path at = folder.parent_path(); isUnder(at, top) && at != top; at = at.parent_path()) {
        if (fs::exists(at / "idVendor", error) && fs::exists(at / "idProduct", error)) {
            return at;
        }
    }
    return std::nullopt;
}

std::optional<std::string> SysfsBlock::usbDeviceId(const fs::path& usbFolder) const {
    const auto vendor = readAttribute(usbFolder / "idVendor");
    const auto product = readAttribute(usbFolder / "idProduct");
    if (!vendor || !product) {
        return std::nullopt;
    }
    const std::string serial = readAttribute(usbFolder / "serial").value_or("");
    return "USB\\VID_" + *vendor + "&PID_" + *product + "\\" + serial;
}

std::vector<SysfsBlock::Disk> SysfsBlock::wholeDisks() const {
    std::vector<Disk> disks;
    std::error_code error;
    for (fs::directory_iterator it(root_ / "dev" / "block", error), end; !error && it != end;
         it.increment(error)) {
        const auto number = parseBlockNumber(it->path().filename().string());
        if (!number) {
            continue;
        }
        const auto folder = deviceFolder(*number);
        if (!folder || isVirtual(*folder) || wholeDisk(*folder) != *folder) {
            continue;
        }
        disks.push_back({*number, *folder});
    }
    std::sort(disks.begin(), disks.end(),
              [](const Disk& a, const Disk& b) { return a.number < b.number; });
    return disks;
}

std::string SysfsBlock::relative(const fs::path& folder) const {
    return folder.lexically_relative(root_).string();
}

}  // namespace veltra
