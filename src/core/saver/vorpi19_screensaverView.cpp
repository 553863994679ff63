#include "saver/vorpi19_screensaverView.hpp"

std::unique_ptr<vorpi_19screensaverView> vorpi_19screensaverView::initWithFrame(CGRect frame, bool isPreview)
{
    std::unique_ptr<vorpi_19screensaverView> view(new vorpi_19screensaverView());
    if (!view->ScreenSaverView::initWithFrame(frame, isPreview))
        return nullptr;
    view->setAnimationTimeInterval(1.0 / 30);
    CGSize size = view->bounds().size;
    view->spr.emplace(size);
    return view;
}

void vorpi_19screensaverView::animateOneFrame()
{
    spr->_update();
    spr->_render();
}
