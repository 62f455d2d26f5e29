// applyFilters: runs a display object's filters in order over its layer.
#include "player/render/BoxBlur.h"
#include "player/render/ColorFilters.h"
#include "player/render/EffectsApi.h"
#include "player/render/FilterGeometry.h"
#include "player/render/FilterScratch.h"
#include "player/render/ShadowFilters.h"

namespace kelmora::player {

FilterScratch& threadFilterScratch() {
    thread_local FilterScratch scratch;
    return scratch;
}

void applyFilters(PixelBuffer& layer, const std::vector<Filter>& filters, double scaleX, double scaleY) {
    applyFilters(layer, filters, scaleX, scaleY, threadFilterScratch());
}

void applyFilters(PixelBuffer& layer, const std::vector<Filter>& filters, double scaleX, double scaleY,
                  FilterScratch& scratch) {
    if (layer.empty()) return;
    int applied = 0;
    for (const auto& f : filters) {
        if (++applied > kMaxFilters) break;
        switch (f.kind) {
        case Filter::Kind::Blur: {
            FilterGeometry g = filterGeometry(f, scaleX, scaleY);
            boxBlur(layer, g.blurX, g.blurY, g.passes, scratch);
            break;
        }
        case Filter::Kind::ColorMatrix: applyColorMatrix(layer, f); break;
        case Filter::Kind::Convolution: applyConvolution(layer, f, scratch); break;
        default: applyShadowFilter(layer, f, filterGeometry(f, scaleX, scaleY), scratch); break;
        }
    }
}

}  // namespace kelmora::player
