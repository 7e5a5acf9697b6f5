#include "gdi/Surface.h"

#include <algorithm>

namespace gdi {

Surface::Surface(int width, int height, bool bottomUp)
    : m_width(std::max(width, 0)), m_height(std::max(height, 0)), m_bottomUp(bottomUp),
      m_pixels(static_cast<std::size_t>(m_width) * m_height, 0)
{
}

void Surface::Fill(Pixel p)
{
    std::fill(m_pixels.begin(), m_pixels.end(), p);
}

std::shared_ptr<Surface> Surface::Clone() const
{
    auto copy = std::make_shared<Surface>(m_width, m_height, m_bottomUp);
    copy->m_pixels = m_pixels;
    return copy;
}

} // namespace gdi
