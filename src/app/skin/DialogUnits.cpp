#include "app/skin/DialogUnits.h"

namespace veilport::skin {

namespace {

// units * numerator / denominator, rounded half away from zero.
int scale(int units, int numerator, int denominator) {
    const long long product = static_cast<long long>(units) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

}  // namespace

int DialogUnits::toPixelsX(int units) {
    return scale(units, 3, 2);
}
int DialogUnits::toPixelsY(int units) {
    return scale(units, 13, 8);
}

QRect DialogUnits::toPixels(int x, int y, int width, int height) {
    const int left = toPixelsX(x);
    const int top = toPixelsY(y);
    return {left, top, toPixelsX(x + width) - left, toPixelsY(y + height) - top};
}

QSize DialogUnits::toPixels(QSize units) {
    return {toPixelsX(units.width()), toPixelsY(units.height())};
}

}  // namespace veilport::skin
