#include "drawing/DrawingSurface.hpp"

namespace {

DrawingSurface* currentSurface = nullptr;

}

DrawingSurface* DrawingSurface::current()
{
    return currentSurface;
}

DrawingSurface::Scope::Scope(DrawingSurface& surface)
    : _previous(currentSurface)
{
    currentSurface = &surface;
}

DrawingSurface::Scope::~Scope()
{
    currentSurface = _previous;
}
