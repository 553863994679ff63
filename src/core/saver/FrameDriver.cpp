#include "saver/FrameDriver.hpp"

FrameDriver::FrameDriver(ScreenSaverView& view, DrawingSurface& surface)
    : _view(view)
    , _surface(surface)
{
}

int FrameDriver::runFrames(int count)
{
    if (!_view.isAnimating())
        return 0;
    DrawingSurface::Scope target(_surface);
    for (int i = 0; i < count; ++i)
        _view.animateOneFrame();
    _framesRun += count;
    return count;
}
