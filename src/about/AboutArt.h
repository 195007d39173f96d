#pragma once

#include <QIcon>
#include <QPixmap>

namespace zelmaro {

// The maker's logo for the about box: a camera sending a release signal.
QPixmap DrawLogo(const QSize& size = QSize(100, 56));

// The program's icon: a camera with a stopwatch, drawn at the given size.
QPixmap DrawIconPixmap(int size);

// The program's icon in the usual sizes.
QIcon ZelmaroIcon();

} // namespace zelmaro
