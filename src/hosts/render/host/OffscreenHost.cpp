#include "host/OffscreenHost.hpp"

#include "saver/vorpi19_screensaverView.hpp"

#include <cmath>
#include <stdexcept>

namespace {

std::unique_ptr<ScreenSaverView> required(std::unique_ptr<ScreenSaverView> view)
{
    if (!view)
        throw std::runtime_error("the screen saver could not be created for this area");
    return view;
}

}

OffscreenHost::OffscreenHost(CGSize size, bool isPreview, DrawingSurface& surface, const ViewFactory& createView)
    : _view(required(createView(CGRect { {}, size }, isPreview)))
    , _driver(*_view, surface)
{
    _view->startAnimation();
}

OffscreenHost::~OffscreenHost()
{
    _view->stopAnimation();
}

OffscreenHost::ViewFactory OffscreenHost::screenSaver()
{
    return [](CGRect frame, bool isPreview) -> std::unique_ptr<ScreenSaverView> {
        return vorpi_19screensaverView::initWithFrame(frame, isPreview);
    };
}

void OffscreenHost::runFrame()
{
    _driver.runFrames(1);
}

int OffscreenHost::framesPerSecond() const
{
    return static_cast<int>(std::lround(1.0 / _view->animationTimeInterval()));
}
