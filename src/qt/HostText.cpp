#include "qt/HostText.h"

#include <QList>

#include "core/HostCharset.h"

namespace veltra {

QString fromHostBytes(std::string_view bytes) {
    const std::string utf8 = hostTextToUtf8Lossy(bytes);
    return QString::fromUtf8(utf8.data(), static_cast<qsizetype>(utf8.size()));
}

std::string toHostBytes(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    if (auto whole = utf8ToHostText(std::string_view(utf8.constData(), utf8.size()))) {
        return *whole;
    }
    // Character by character, so that the ones the host's set has are kept.
    std::string bytes;
    const QList<uint> codePoints = text.toUcs4();
    for (const uint codePoint : codePoints) {
        const char32_t one32 = static_cast<char32_t>(codePoint);
        const QByteArray one = QString::fromUcs4(&one32, 1).toUtf8();
        if (auto converted = utf8ToHostText(std::string_view(one.constData(), one.size()))) {
            bytes += *converted;
        } else {
            bytes += '?';
        }
    }
    return bytes;
}

}  // namespace veltra
