#pragma once

#include <QRect>
#include <QSize>

namespace veilport::skin {

// Dialog units of templates written for the 8-point "MS Sans Serif" dialog
// font: at 96 dpi one unit is 1.5 pixels across and 1.625 pixels down. Edges
// are converted one by one and rounded half up, so a control's right edge
// lands where the template's next control begins.
struct DialogUnits {
    static int toPixelsX(int units);
    static int toPixelsY(int units);
    // A control's rectangle (x, y, width, height in units) in pixels.
    static QRect toPixels(int x, int y, int width, int height);
    static QSize toPixels(QSize units);
};

}  // namespace veilport::skin
