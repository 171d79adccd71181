#include "swf/Renderer.h"

#include "swf/DisplayList.h"
#include "swf/Movie.h"

namespace swf {

Renderer::Renderer() = default;
Renderer::~Renderer() = default;

void Renderer::render(QPainter& painter, const Movie&, const TimelineInstance& root,
                      const QTransform& twipsToDevice, bool antialias) const {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing, antialias);
    painter.setRenderHint(QPainter::SmoothPixmapTransform, antialias);
    drawList(painter, root, twipsToDevice, ColorTransform{}, 0);
    painter.restore();
}

void Renderer::drawList(QPainter& painter, const TimelineInstance& list, const QTransform& matrix,
                        const ColorTransform& cx, int nesting) const {
    for (const auto& [depth, obj] : list.objects()) {
        if (obj.sprite && nesting < 64)
            drawList(painter, *obj.sprite, obj.matrix * matrix, obj.colorTransform.then(cx),
                     nesting + 1);
    }
}

} // namespace swf
