#include "saver/ScreenSaverView.hpp"

#include <cmath>

bool ScreenSaverView::initWithFrame(CGRect frame, bool isPreview)
{
    auto usable = [](double side) { return std::isfinite(side) && side >= 0; };
    if (!usable(frame.size.width) || !usable(frame.size.height))
        return false;
    _frame = frame;
    _isPreview = isPreview;
    return true;
}
