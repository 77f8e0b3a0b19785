#include "qt/AppIcon.h"

namespace veltra {

QIcon appIcon() {
    QIcon icon;
    for (const int size : {16, 32, 48, 64, 128, 256}) {
        icon.addFile(QStringLiteral(":/veltra/icons/veltra-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace veltra
