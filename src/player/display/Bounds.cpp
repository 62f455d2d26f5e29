#include "player/display/Bounds.h"

#include "player/display/BitmapObject.h"
#include "player/display/ButtonObject.h"
#include "player/display/EditTextObject.h"
#include "player/display/MovieClip.h"
#include "player/format/Characters.h"
#include "player/media/VideoStream.h"
#include "player/shape/ShapeDef.h"

namespace kelmora::player {

namespace {

Rect listBounds(const DisplayList& list, const Matrix& m) {
    Rect r;
    for (const auto& [depth, child] : list) {
        if (!child->visible || child->clipDepth > 0) continue;
        r = r.united(drawnBounds(*child, m * child->matrix));
    }
    return r;
}

}  // namespace

Rect drawnBounds(const DisplayObject& object, const Matrix& m) {
    const Character* c = object.character();
    switch (object.kind()) {
    case CharacterKind::Shape:
        return static_cast<const ShapeCharacter*>(c)->bounds.transformed(m);
    case CharacterKind::MorphShape:
        return morphBounds(*static_cast<const MorphCharacter*>(c)->morph, object.ratio / 65535.0).transformed(m);
    case CharacterKind::Text:
        return static_cast<const TextCharacter*>(c)->bounds.transformed(m);
    case CharacterKind::EditText:
        return static_cast<const EditTextObject&>(object).field().bounds().transformed(m);
    case CharacterKind::Sprite:
        if (const MovieClip* clip = object.asMovieClip()) {
            if (const auto& s = object.scrollRect) return Rect{0, 0, s->width(), s->height()}.transformed(m);
            Rect r = listBounds(clip->children(), m);
            if (clip->drawing) r = r.united(clip->drawing->bounds.transformed(m));
            return r;
        }
        return {};
    case CharacterKind::Video: {
        const auto& v = static_cast<const VideoStreamDef&>(*c);
        return Rect{0, 0, v.width * kTwipsPerPixel, v.height * kTwipsPerPixel}.transformed(m);
    }
    case CharacterKind::Button:
        return listBounds(static_cast<const ButtonObject&>(object).children(), m);
    case CharacterKind::Bitmap:
        if (const auto* bitmap = dynamic_cast<const BitmapObject*>(&object)) return bitmap->bounds().transformed(m);
        return {};
    default:
        return {};
    }
}

}  // namespace kelmora::player
