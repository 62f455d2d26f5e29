#include "player/display/PlayContext.h"

#include "player/bitmap/BitmapApi.h"
#include "player/display/ButtonObject.h"
#include "player/display/MovieClip.h"
#include "player/display/VideoObject.h"
#include "player/display/EditTextObject.h"
#include "player/format/Characters.h"
#include "player/text/FontDef.h"

#include <algorithm>
#include <fstream>
#include <map>

namespace kelmora::player {

PlayContext::PlayContext(std::shared_ptr<const MovieDef> movie) : movie_(std::move(movie)) {}
PlayContext::~PlayContext() = default;

void PlayContext::importAssets(const std::string& folder, const std::vector<std::string>& chain) {
    if (!movie_->imports().empty()) imports_.resolve(*movie_, folder, chain);
}

std::unique_ptr<DisplayObject> PlayContext::createInstance(uint16_t characterId, int nesting, bool constructNow) {
    if (nesting > kMaxNesting || instances_ >= kMaxInstances) return nullptr;
    if (const ImportedAssets::Source* source = imports_.find(characterId)) {
        // An imported character plays as part of its own movie.
        source->context->listener = listener;
        return source->context->createInstance(source->id, nesting, constructNow);
    }
    auto character = movie_->characterShared(characterId);
    if (!character) return nullptr;
    switch (character->kind) {
    case CharacterKind::Sprite: {
        auto sprite = std::static_pointer_cast<const SpriteDef>(character);
        const TimelineDef& timeline = sprite->timeline;
        return std::make_unique<MovieClip>(*this, std::move(character), timeline, nesting, constructNow);
    }
    case CharacterKind::Button:
        return std::make_unique<ButtonObject>(*this, std::move(character), nesting);
    case CharacterKind::EditText:
        return std::make_unique<EditTextObject>(*this, std::move(character));
    case CharacterKind::Video:
        return std::make_unique<VideoObject>(*this, std::move(character));
    case CharacterKind::Shape:
    case CharacterKind::MorphShape:
    case CharacterKind::Text:
    case CharacterKind::Bitmap:
        return std::make_unique<DisplayObject>(*this, std::move(character));
    default:
        return nullptr;
    }
}

const PixelBuffer* PlayContext::bitmap(uint16_t characterId) const {
    if (const ImportedAssets::Source* source = imports_.find(characterId)) return source->context->bitmap(source->id);
    const Character* c = movie_->character(characterId);
    if (!c || c->kind != CharacterKind::Bitmap) return nullptr;
    return &static_cast<const BitmapDef*>(c)->pixels;
}

FontDef* PlayContext::font(uint16_t characterId) const {
    if (const ImportedAssets::Source* source = imports_.find(characterId)) return source->context->font(source->id);
    const Character* c = movie_->character(characterId);
    if (!c || c->kind != CharacterKind::Font) return nullptr;
    return static_cast<const FontCharacter*>(c)->font.get();
}

FontDef* PlayContext::fontByName(const std::string& name, bool bold, bool italic) const {
    // Prefer the font of the same style; otherwise any font of that name. The lowest id wins, so
    // the choice does not depend on the dictionary's order.
    FontDef* best = nullptr;
    int bestScore = -1;
    uint16_t bestId = 0;
    for (const auto& [id, character] : movie_->dictionary()) {
        if (character->kind != CharacterKind::Font) continue;
        FontDef* f = static_cast<const FontCharacter*>(character.get())->font.get();
        if (!f || f->name != name) continue;
        int score = (f->bold == bold) + (f->italic == italic);
        if (score > bestScore || (score == bestScore && id < bestId)) {
            best = f;
            bestScore = score;
            bestId = id;
        }
    }
    return best;
}

}  // namespace kelmora::player
