#pragma once

#include <QIcon>

namespace veltra {

// Icon 128: the window icon, the About box's picture and the desktop entry's icon.
QIcon appIcon();

}  // namespace veltra
