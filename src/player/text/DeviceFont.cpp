#include "player/text/DeviceFont.h"

#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_OUTLINE_H
#include FT_TRUETYPE_TABLES_H

#include <array>
#include <cmath>
#include <cstdlib>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "player/text/GlyphOutlineWriter.h"
#include "util/TextNumber.h"

namespace kelmora::player {

namespace {

constexpr const char* kFontDir = "/usr/share/fonts/truetype/liberation2/";

struct OutlineSink {
    GlyphOutlineWriter* writer;
    FT_Vector last{};
};

int32_t flipY(FT_Pos y) { return int32_t(-y); }

int moveToCb(const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    s->writer->moveTo(int32_t(to->x), flipY(to->y));
    s->last = *to;
    return 0;
}
int lineToCb(const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    s->writer->lineTo(int32_t(to->x), flipY(to->y));
    s->last = *to;
    return 0;
}
int conicToCb(const FT_Vector* c, const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    s->writer->quadTo(int32_t(c->x), flipY(c->y), int32_t(to->x), flipY(to->y));
    s->last = *to;
    return 0;
}
// Cubics (CFF fonts) become two quadratics, one per half.
int cubicToCb(const FT_Vector* c1, const FT_Vector* c2, const FT_Vector* to, void* user) {
    auto* s = static_cast<OutlineSink*>(user);
    auto mid = [](double a, double b) { return (a + b) / 2; };
    double p0x = double(s->last.x), p0y = double(s->last.y);
    double ax = mid(p0x, double(c1->x)), ay = mid(p0y, double(c1->y));
    double bx = mid(double(c1->x), double(c2->x)), by = mid(double(c1->y), double(c2->y));
    double cx = mid(double(c2->x), double(to->x)), cy = mid(double(c2->y), double(to->y));
    double abx = mid(ax, bx), aby = mid(ay, by), bcx = mid(bx, cx), bcy = mid(by, cy);
    double mx = mid(abx, bcx), my = mid(aby, bcy);
    auto quad = [&](double q0x, double q0y, double k1x, double k1y, double k2x, double k2y, double q3x, double q3y) {
        double qx = (3 * (k1x + k2x) - q0x - q3x) / 4, qy = (3 * (k1y + k2y) - q0y - q3y) / 4;
        s->writer->quadTo(int32_t(std::lround(qx)), int32_t(-std::lround(qy)), int32_t(std::lround(q3x)),
                          int32_t(-std::lround(q3y)));
    };
    quad(p0x, p0y, ax, ay, abx, aby, mx, my);
    quad(mx, my, bcx, bcy, cx, cy, double(to->x), double(to->y));
    s->last = *to;
    return 0;
}

constexpr double kDeviceBaselineDrop = 0.15;

class FreeTypeFont final : public GlyphSource {
public:
    FreeTypeFont(FT_Library lib, const std::string& path) {
        if (FT_New_Face(lib, path.c_str(), 0, &face_) != 0) face_ = nullptr;
        if (!face_) return;
        em_ = face_->units_per_EM > 0 ? face_->units_per_EM : 2048;
        // Windows line metrics (usWin*) are what Flash's device text used.
        auto* os2 = static_cast<TT_OS2*>(FT_Get_Sfnt_Table(face_, FT_SFNT_OS2));
        ascent_ = os2 && os2->usWinAscent ? os2->usWinAscent : face_->ascender;
        descent_ = os2 && os2->usWinDescent ? os2->usWinDescent : -face_->descender;
        // Flash's device text sits lower in its field than the Windows ascent alone puts it:
        // measured on its pictures, the first baseline lies 0.15 EM further down.
        ascent_ += kDeviceBaselineDrop * em_;
    }
    ~FreeTypeFont() override {
        if (face_) FT_Done_Face(face_);
    }
    bool ok() const { return face_ != nullptr; }

    double emSquare() const override { return em_; }
    double ascent() const override { return ascent_; }
    double descent() const override { return descent_; }
    int glyphIndex(char32_t c) const override {
        std::lock_guard lock(mutex_);
        FT_UInt g = FT_Get_Char_Index(face_, FT_ULong(c));
        return g == 0 ? -1 : int(g);
    }
    double advance(int glyph) const override {
        std::lock_guard lock(mutex_);
        return entry(glyph).advance;
    }
    double kerning(char32_t left, char32_t right) const override {
        std::lock_guard lock(mutex_);
        if (!FT_HAS_KERNING(face_)) return 0;
        FT_Vector k{};
        FT_Get_Kerning(face_, FT_Get_Char_Index(face_, FT_ULong(left)), FT_Get_Char_Index(face_, FT_ULong(right)),
                       FT_KERNING_UNSCALED, &k);
        return double(k.x);
    }
    const ShapeDef* glyphShape(int glyph) const override {
        std::lock_guard lock(mutex_);
        return entry(glyph).shape.get();
    }

private:
    struct Entry {
        double advance = 0;
        std::shared_ptr<ShapeDef> shape;
    };

    // Loads a glyph's advance and outline once (caller holds the mutex).
    const Entry& entry(int glyph) const {
        auto it = cache_.find(glyph);
        if (it != cache_.end()) return it->second;
        Entry& e = cache_[glyph];
        if (glyph < 0 || FT_Load_Glyph(face_, FT_UInt(glyph), FT_LOAD_NO_SCALE | FT_LOAD_NO_HINTING) != 0) return e;
        e.advance = double(face_->glyph->advance.x);
        FT_Outline& outline = face_->glyph->outline;
        if (face_->glyph->format != FT_GLYPH_FORMAT_OUTLINE || outline.n_contours <= 0) return e;
        // TrueType fills right of travel with y up, which is left of travel once y points down.
        GlyphOutlineWriter writer(FT_Outline_Get_Orientation(&outline) != FT_ORIENTATION_TRUETYPE);
        OutlineSink sink{&writer, {}};
        FT_Outline_Funcs funcs{moveToCb, lineToCb, conicToCb, cubicToCb, 0, 0};
        if (FT_Outline_Decompose(&outline, &funcs, &sink) != 0 || writer.empty()) return e;
        auto shape = parseGlyph(writer.finish());
        if (shape) e.shape = std::move(*shape);
        return e;
    }

    FT_Face face_ = nullptr;
    double em_ = 2048, ascent_ = 0, descent_ = 0;
    mutable std::mutex mutex_;
    mutable std::unordered_map<int, Entry> cache_;
};

struct DeviceFontLibrary {
    std::mutex mutex;
    FT_Library lib = nullptr;
    std::array<std::unique_ptr<FreeTypeFont>, 12> fonts;
    std::array<bool, 12> tried{};
    ~DeviceFontLibrary() {
        for (auto& f : fonts) f.reset();
        if (lib) FT_Done_FreeType(lib);
    }
};

DeviceFontLibrary& library() {
    static DeviceFontLibrary instance;
    return instance;
}

std::string fontFile(DeviceFamily family, bool bold, bool italic) {
    std::string name = family == DeviceFamily::Sans ? "LiberationSans" : family == DeviceFamily::Serif ? "LiberationSerif"
                                                                                                       : "LiberationMono";
    std::string style = bold && italic ? "BoldItalic" : bold ? "Bold" : italic ? "Italic" : "Regular";
    const char* dir = std::getenv("KELMORA_FONT_DIR");
    return std::string(dir && *dir ? dir : kFontDir) + "/" + name + "-" + style + ".ttf";
}

}  // namespace

DeviceFamily deviceFamilyFor(const std::string& fontName) {
    std::string n = toLower(trim(fontName));
    if (n == "_typewriter" || n.find("courier") != std::string::npos || n.find("mono") != std::string::npos ||
        n.find("consol") != std::string::npos || n == "lucida console")
        return DeviceFamily::Mono;
    if (n == "_serif" || n.find("times") != std::string::npos || n.find("georgia") != std::string::npos ||
        n.find("garamond") != std::string::npos || n.find("serif") == 0 || n.find("roman") != std::string::npos ||
        n.find("book antiqua") != std::string::npos || n.find("palatino") != std::string::npos)
        return DeviceFamily::Serif;
    if (n == "_sans" || n.find("arial") != std::string::npos || n.find("helvetica") != std::string::npos ||
        n.find("verdana") != std::string::npos || n.find("tahoma") != std::string::npos ||
        n.find("sans") != std::string::npos || n.find("trebuchet") != std::string::npos ||
        n.find("segoe") != std::string::npos || n.find("lucida") != std::string::npos ||
        n.find("century gothic") != std::string::npos || n.find("impact") != std::string::npos ||
        n.find("geneva") != std::string::npos)
        return DeviceFamily::Sans;
    return DeviceFamily::Serif;
}

const GlyphSource* deviceFont(DeviceFamily family, bool bold, bool italic) {
    DeviceFontLibrary& lib = library();
    std::lock_guard lock(lib.mutex);
    size_t slot = size_t(family) * 4 + (bold ? 2 : 0) + (italic ? 1 : 0);
    if (!lib.tried[slot]) {
        lib.tried[slot] = true;
        if (!lib.lib && FT_Init_FreeType(&lib.lib) != 0) lib.lib = nullptr;
        if (lib.lib) {
            auto font = std::make_unique<FreeTypeFont>(lib.lib, fontFile(family, bold, italic));
            if (font->ok()) lib.fonts[slot] = std::move(font);
        }
    }
    return lib.fonts[slot].get();
}

}  // namespace kelmora::player
