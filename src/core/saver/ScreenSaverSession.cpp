#include "saver/ScreenSaverSession.hpp"

#include "saver/FrameContext.hpp"
#include "saver/UnusableArea.hpp"
#include "saver/vorpi19_screensaverView.hpp"

#include <utility>

ScreenSaverSession::ScreenSaverSession(
    CGSize size, bool isPreview, RandomSources sources, const ViewFactory& createView)
    : _createView(createView)
    , _isPreview(isPreview)
    , _sources(std::move(sources))
{
    _view = buildView(size);
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

std::unique_ptr<ScreenSaverView> ScreenSaverSession::buildView(CGSize size)
{
    FrameContext context(_sources);
    auto view = _createView(CGRect { {}, size }, _isPreview);
    if (!view)
        throw UnusableArea(size.width, size.height);
    return view;
}

void ScreenSaverSession::reshape(CGSize size)
{
    auto view = buildView(size);
    bool animating = isAnimating();
    if (animating)
        stop();
    _view = std::move(view);
    if (animating)
        start();
}

void ScreenSaverSession::start()
{
    FrameContext context(_sources);
    _view->startAnimation();
}

void ScreenSaverSession::stop()
{
    FrameContext context(_sources);
    _view->stopAnimation();
}

void ScreenSaverSession::frame(DrawingSurface& surface)
{
    if (!_view->isAnimating())
        return;
    FrameContext context(_sources, &surface);
    _view->animateOneFrame();
    ++_framesRun;
}

void ScreenSaverSession::redraw(DrawingSurface& surface, CGRect area)
{
    FrameContext context(_sources, &surface);
    _view->drawRect(area);
}
