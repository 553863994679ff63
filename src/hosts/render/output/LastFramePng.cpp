#include "output/LastFramePng.hpp"

#include "output/PngEncoder.hpp"

LastFramePng::LastFramePng(std::filesystem::path target)
    : _file(std::move(target))
{
}

void LastFramePng::finish(const ImageView& image)
{
    PngEncoder::write(image, _file.stream(), _file.target());
}

void LastFramePng::commit()
{
    _file.commit();
}
