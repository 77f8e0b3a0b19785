// Writes the pictures of the Windows resources, so that none of them has to be kept as a
// binary file:
//   ResourceArt background FILE   the window's background, one colour, 793 x 426, 24 bits
//   ResourceArt icon FILE         the program's icon at 16, 32 and 48 pixels, 16 colours
// Runs on the build machine, also when the program is built for Windows elsewhere.
#include <array>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& out, unsigned value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFF));
    out.push_back(static_cast<std::uint8_t>((value >> 8) & 0xFF));
}

void put32(Bytes& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

// BITMAPINFOHEADER.
void putInfoHeader(Bytes& out, int width, int height, int bits, std::uint32_t imageSize,
                   std::uint32_t colours) {
    put32(out, 40);
    put32(out, static_cast<std::uint32_t>(width));
    put32(out, static_cast<std::uint32_t>(height));
    put16(out, 1);
    put16(out, static_cast<unsigned>(bits));
    put32(out, 0);  // BI_RGB
    put32(out, imageSize);
    put32(out, 2835);  // 72 dots per inch
    put32(out, 2835);
    put32(out, colours);
    put32(out, 0);
}

// The background: red 113, green 154, blue 210 everywhere.
Bytes background() {
    constexpr int width = 793, height = 426;
    constexpr std::uint32_t stride = (width * 3 + 3) / 4 * 4;
    constexpr std::uint32_t imageSize = stride * height;
    Bytes out;
    out.push_back('B');
    out.push_back('M');
    put32(out, 14 + 40 + imageSize);
    put32(out, 0);
    put32(out, 14 + 40);
    putInfoHeader(out, width, height, 24, imageSize, 0);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            out.push_back(210);  // blue, green, red
            out.push_back(154);
            out.push_back(113);
        }
        out.resize(out.size() + (stride - width * 3), 0);
    }
    return out;
}

// The sixteen colours of the standard palette.
constexpr std::array<std::uint32_t, 16> Palette = {
    0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080, 0xC0C0C0,
    0x808080, 0xFF0000, 0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
enum Colour : std::uint8_t {
    Black = 0,
    Navy = 4,
    Silver = 7,
    Grey = 8,
    Red = 9,
    Blue = 12,
    Aqua = 14,
    White = 15,
    Clear = 255
};

// The artwork on a 256-unit square: a blue tile with a thermometer and a droplet.
struct Shape {
    virtual ~Shape() = default;
    virtual bool contains(double x, double y) const = 0;
};

struct RoundRect : Shape {
    double x0, y0, x1, y1, r;
    RoundRect(double ax, double ay, double bx, double by, double radius)
        : x0(ax), y0(ay), x1(bx), y1(by), r(radius) {}
    bool contains(double x, double y) const override {
        if (x < x0 || x > x1 || y < y0 || y > y1) {
            return false;
        }
        const double cx = x < x0 + r ? x0 + r : (x > x1 - r ? x1 - r : x);
        const double cy = y < y0 + r ? y0 + r : (y > y1 - r ? y1 - r : y);
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    }
};

struct Circle : Shape {
    double cx, cy, r;
    Circle(double x, double y, double radius) : cx(x), cy(y), r(radius) {}
    bool contains(double x, double y) const override {
        return (x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r;
    }
};

// A droplet: a round bottom and a point on top.
struct Drop : Shape {
    double cx, cy, r, tipY;
    Drop(double x, double y, double radius, double tip) : cx(x), cy(y), r(radius), tipY(tip) {}
    bool contains(double x, double y) const override {
        if ((x - cx) * (x - cx) + (y - cy) * (y - cy) <= r * r) {
            return true;
        }
        if (y < tipY || y > cy) {
            return false;
        }
        const double halfWidth = r * (y - tipY) / (cy - tipY);
        return std::fabs(x - cx) <= halfWidth;
    }
};

struct Layer {
    const Shape* shape;
    Colour fill;
    Colour outline;  // Clear for none
};

// One image of the icon: colour indexes, Clear for transparent pixels.
std::vector<std::uint8_t> drawIcon(int size) {
    const RoundRect tile(8, 8, 248, 248, 48);
    const RoundRect tube(64, 36, 108, 176, 22);
    const Circle bulb(86, 186, 36);
    const RoundRect column(74, 84, 98, 188, 12);
    const Circle redBulb(86, 186, 24);
    const Drop drop(180, 166, 36, 92);
    const std::array<Layer, 6> layers = {{{&tile, Blue, Navy},
                                          {&tube, White, Black},
                                          {&bulb, White, Black},
                                          {&column, Red, Clear},
                                          {&redBulb, Red, Clear},
                                          {&drop, Aqua, Navy}}};
    std::vector<std::uint8_t> pixels(static_cast<std::size_t>(size * size), Clear);
    const double scale = 256.0 / size;
    auto inside = [&](const Shape& shape, int x, int y) {
        return x >= 0 && y >= 0 && x < size && y < size &&
               shape.contains((x + 0.5) * scale, (y + 0.5) * scale);
    };
    for (const Layer& layer : layers) {
        for (int y = 0; y < size; ++y) {
            for (int x = 0; x < size; ++x) {
                if (!inside(*layer.shape, x, y)) {
                    continue;
                }
                const bool edge =
                    !inside(*layer.shape, x - 1, y) || !inside(*layer.shape, x + 1, y) ||
                    !inside(*layer.shape, x, y - 1) || !inside(*layer.shape, x, y + 1);
                pixels[static_cast<std::size_t>(y * size + x)] =
                    (edge && layer.outline != Clear) ? layer.outline : layer.fill;
            }
        }
    }
    return pixels;
}

// One icon image as stored in an .ico file: header, palette, colour bits, mask bits.
Bytes iconImage(int size) {
    const auto pixels = drawIcon(size);
    const int colourStride = (size / 2 + 3) / 4 * 4;
    const int maskStride = ((size + 7) / 8 + 3) / 4 * 4;
    Bytes out;
    putInfoHeader(out, size, size * 2, 4,
                  static_cast<std::uint32_t>((colourStride + maskStride) * size), 16);
    for (const std::uint32_t rgb : Palette) {
        out.push_back(static_cast<std::uint8_t>(rgb & 0xFF));
        out.push_back(static_cast<std::uint8_t>((rgb >> 8) & 0xFF));
        out.push_back(static_cast<std::uint8_t>((rgb >> 16) & 0xFF));
        out.push_back(0);
    }
    for (int y = size - 1; y >= 0; --y) {  // bottom-up
        Bytes row(static_cast<std::size_t>(colourStride), 0);
        for (int x = 0; x < size; ++x) {
            const std::uint8_t p = pixels[static_cast<std::size_t>(y * size + x)];
            const std::uint8_t index = p == Clear ? std::uint8_t{Black} : p;
            row[static_cast<std::size_t>(x / 2)] |=
                static_cast<std::uint8_t>(x % 2 == 0 ? index << 4 : index);
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    for (int y = size - 1; y >= 0; --y) {
        Bytes row(static_cast<std::size_t>(maskStride), 0);
        for (int x = 0; x < size; ++x) {
            if (pixels[static_cast<std::size_t>(y * size + x)] == Clear) {
                row[static_cast<std::size_t>(x / 8)] |= static_cast<std::uint8_t>(0x80 >> (x % 8));
            }
        }
        out.insert(out.end(), row.begin(), row.end());
    }
    return out;
}

Bytes icon() {
    const std::array<int, 3> sizes = {32, 16, 48};
    std::vector<Bytes> images;
    for (const int size : sizes) {
        images.push_back(iconImage(size));
    }
    Bytes out;
    put16(out, 0);
    put16(out, 1);  // an icon
    put16(out, static_cast<unsigned>(sizes.size()));
    std::uint32_t offset = static_cast<std::uint32_t>(6 + 16 * sizes.size());
    for (std::size_t i = 0; i < sizes.size(); ++i) {
        out.push_back(static_cast<std::uint8_t>(sizes[i]));
        out.push_back(static_cast<std::uint8_t>(sizes[i]));
        out.push_back(16);  // colours
        out.push_back(0);
        put16(out, 1);  // planes
        put16(out, 4);  // bits per pixel
        put32(out, static_cast<std::uint32_t>(images[i].size()));
        put32(out, offset);
        offset += static_cast<std::uint32_t>(images[i].size());
    }
    for (const Bytes& image : images) {
        out.insert(out.end(), image.begin(), image.end());
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: %s background|icon FILE\n", argv[0]);
        return 2;
    }
    const std::string what = argv[1];
    Bytes bytes;
    if (what == "background") {
        bytes = background();
    } else if (what == "icon") {
        bytes = icon();
    } else {
        std::fprintf(stderr, "%s: unknown picture %s\n", argv[0], argv[1]);
        return 2;
    }
    std::FILE* file = std::fopen(argv[2], "wb");
    if (!file) {
        std::perror(argv[2]);
        return 1;
    }
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "%s: could not write %s\n", argv[0], argv[2]);
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
