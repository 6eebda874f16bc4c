#pragma once

#include "app/MainWindowParts.h"
#include "render/OverlayRenderer.h"

namespace tb {

// The main window's drawings done by the overlay renderer.
class RendererDrawing final : public OverlayDrawing {
public:
    explicit RendererDrawing(OverlayRenderer& renderer)
        : renderer_(renderer)
    {
    }
    DrawOutcome draw(
        const QString& file, OverlayStyle& style, const PicAdjust& adjust, const StaleMark& mark, qreal devicePixelRatio) override
    {
        OverlayResult r = renderer_.RenderOverlay(file, style, adjust, mark, devicePixelRatio);
        return DrawOutcome {r.drawn, r.fontReplaced, std::move(r.canvas)};
    }

private:
    OverlayRenderer& renderer_;
};

} // namespace tb
