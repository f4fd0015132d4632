#pragma once
// The program's common window icon and the emblem shown in the splash and
// about windows: a certificate sheet with a seal on a blue tile, drawn here so
// that every size is sharp.
#include <QColor>
#include <QIcon>
#include <QPixmap>

namespace shell {

// The program's colour: product name and version in the splash window.
inline QColor brandColor() { return QColor(43, 130, 174); }

// The emblem drawn into a square of `size` device-independent pixels.
QPixmap programEmblem(int size);

// The window icon (16 to 256 pixels).
QIcon programIcon();

} // namespace shell
