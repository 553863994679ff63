#include "saver/ScreenSaverSession.hpp"

#include "saver/UnusableArea.hpp"
#include "saver/vorpi19_screensaverView.hpp"

#include <utility>

ScreenSaverSession::ScreenSaverSession(
    CGSize size, bool isPreview, RandomSources sources, const ViewFactory& createView)
    : _sources(std::move(sources))
{
    RandomSources::Scope draws(_sources);
    _view = createView(CGRect { {}, size }, isPreview);
    if (!_view)
        throw UnusableArea(size.width, size.height);
}

ScreenSaverSession::~ScreenSaverSession()
{
    if (_view->isAnimating())
        stop();
}

ScreenSaverSession::ViewFactory ScreenSaverSession::screenSaver()
{
    return [](CGRect frame, bool isPreview) -> std::unique_ptr<ScreenSaverView> {
        return vorpi_19screensaverView::initWithFrame(frame, isPreview);
    };
}

void ScreenSaverSession::start()
{
    RandomSources::Scope draws(_sources);
    _view->startAnimation();
}

void ScreenSaverSession::stop()
{
    RandomSources::Scope draws(_sources);
    _view->stopAnimation();
}

void ScreenSaverSession::frame(DrawingSurface& surface)
{
    if (!_view->isAnimating())
        return;
    RandomSources::Scope draws(_sources);
    DrawingSurface::Scope target(surface);
    _view->animateOneFrame();
    ++_framesRun;
}

void ScreenSaverSession::redraw(DrawingSurface& surface, CGRect area)
{
    RandomSources::Scope draws(_sources);
    DrawingSurface::Scope target(surface);
    _view->drawRect(area);
}
