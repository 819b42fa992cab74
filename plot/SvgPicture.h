// Pictures saved as SVG where the build's Qt has Svg (SvgPictureQt.cpp);
// a build without it (Qt for Windows built here) saves PNG only
// (SvgPictureNone.cpp).
#pragma once

#include <QSize>
#include <QString>
#include <functional>

class QPainter;

// True when this build saves SVG pictures.
bool CanSaveSvg();

// Draws a picture of `size` with `draw` into the SVG file `path`; false
// when the file could not be written or the build saves no SVG.
bool SaveSvgPicture(const QString& path, QSize size, const QString& title,
                    const std::function<void(QPainter&)>& draw);
