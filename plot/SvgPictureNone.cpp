#include "plot/SvgPicture.h"

bool CanSaveSvg() { return false; }

bool SaveSvgPicture(const QString&, QSize, const QString&, const std::function<void(QPainter&)>&) { return false; }
