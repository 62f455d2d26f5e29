#include "player/format/MovieLoader.h"

#include <cmath>

#include "player/bitmap/BitmapApi.h"
#include "player/format/BitReader.h"
#include "player/format/TagCodes.h"
#include "swf/Decompress.h"

namespace kelmora::player {

namespace {
constexpr size_t kMaxWarnings = 100;

uint16_t head16(std::span<const uint8_t> body) { return body.size() >= 2 ? static_cast<uint16_t>(body[0] | body[1] << 8) : 0; }
}  // namespace

int MovieHeader::pixelWidth() const { return std::max(0, static_cast<int>(std::lround(frameRect.width() / 20.0))); }
int MovieHeader::pixelHeight() const { return std::max(0, static_cast<int>(std::lround(frameRect.height() / 20.0))); }

Result<std::shared_ptr<const MovieDef>> MovieDef::load(std::span<const uint8_t> file) { return MovieLoader::load(file); }

const Character* MovieDef::character(uint16_t id) const {
    auto it = dictionary_.find(id);
    return it == dictionary_.end() ? nullptr : it->second.get();
}

std::shared_ptr<const Character> MovieDef::characterShared(uint16_t id) const {
    auto it = dictionary_.find(id);
    return it == dictionary_.end() ? nullptr : it->second;
}

Result<std::shared_ptr<const MovieDef>> MovieLoader::load(std::span<const uint8_t> file) {
    if (!swf::hasSwfSignature(file)) return makeError("not a Flash movie (no FWS, CWS or ZWS signature)");
    if (file.size() < 8) return makeError("the movie's header is cut short");
    auto bytes = swf::decompressMovie(file);
    if (!bytes) return bytes.error();
    auto movie = std::make_shared<MovieDef>();
    movie->bytes_ = std::move(bytes.value());
    movie->header_.signature = static_cast<char>(file[0]);
    movie->fileSize_ = file.size();
    MovieLoader loader(*movie);
    BitReader r(movie->bytes_);
    if (auto st = loader.readHeader(r); !st) return st.error();
    loader.readTimeline(r.rest(), movie->timeline_, movie->header_.frameCount, true);
    return std::shared_ptr<const MovieDef>(std::move(movie));
}

Status MovieLoader::readHeader(BitReader& r) {
    MovieHeader& h = movie_.header_;
    r.skip(3);
    h.version = r.u8();
    h.fileLength = r.u32();
    h.frameRect = r.rect();
    h.frameRate = r.u16() / 256.0;
    h.frameCount = r.u16();
    if (r.failed()) return makeError("the movie's header is cut short");
    return {};
}

void MovieLoader::warn(std::string text) {
    if (movie_.warnings_.size() < kMaxWarnings) movie_.warnings_.push_back(std::move(text));
}

void MovieLoader::readTimeline(std::span<const uint8_t> tags, TimelineDef& timeline, uint32_t declaredFrames,
                               bool main) {
    TagStream stream(tags);
    Tag t;
    FrameDef frame;
    bool frameHasContent = false;
    const uint8_t version = movie_.header_.version;
    std::shared_ptr<SoundStreamDef> soundStream;
    while (timeline.frames.size() < kMaxFrames && stream.next(t)) {
        switch (t.code) {
        case tag::ShowFrame:
            timeline.frames.push_back(std::move(frame));
            frame = FrameDef{};
            frameHasContent = false;
            break;
        case tag::PlaceObject:
        case tag::PlaceObject2:
        case tag::PlaceObject3: {
            auto p = parsePlaceObject(t.code, t.body, version);
            if (!p) { warn(p.error().message); break; }
            frame.ops.push_back({DisplayOp::Kind::Place, std::move(p.value())});
            frameHasContent = true;
            break;
        }
        case tag::RemoveObject:
        case tag::RemoveObject2: {
            auto d = parseRemoveObject(t.code, t.body);
            if (!d) { warn(d.error().message); break; }
            DisplayOp op{DisplayOp::Kind::Remove, {}};
            op.place.depth = d.value();
            frame.ops.push_back(std::move(op));
            frameHasContent = true;
            break;
        }
        case tag::DoAction:
            frame.actions.push_back(t.body);
            frame.actionOps.push_back(static_cast<uint32_t>(frame.ops.size()));
            if (actionsStopUnconditionally(t.body)) frame.stops = true;
            frameHasContent = true;
            break;
        case tag::DoInitAction: {
            BitReader r(t.body);
            InitAction init;
            init.spriteId = r.u16();
            init.actions = r.rest();
            if (!r.failed()) frame.initActions.push_back(init);
            break;
        }
        case tag::FrameLabel: {
            BitReader r(t.body);
            std::string label = r.string();
            uint32_t index = static_cast<uint32_t>(timeline.frames.size());
            timeline.labels.emplace(std::move(label), index);  // the first frame with a label keeps it
            break;
        }
        case tag::SetBackgroundColor:
            if (main) {
                BitReader r(t.body);
                Rgba c = r.rgb();
                if (!r.failed()) {
                    frame.backgroundColor = c;
                    if (!movie_.backgroundColor_) movie_.backgroundColor_ = c;
                }
            }
            break;
        case tag::VideoFrame: {
            // Video packets may sit in a sprite's frames too; they belong to their stream.
            auto it = videos_.find(head16(t.body));
            if (it != videos_.end()) (void)addVideoFrame(*it->second, t.body);
            break;
        }
        case tag::StartSound: {
            auto start = parseStartSound(t.code, t.body);
            if (!start) { warn(start.error().message); break; }
            frame.sounds.push_back(std::move(start.value()));
            frameHasContent = true;
            break;
        }
        case tag::SoundStreamHead:
        case tag::SoundStreamHead2: {
            auto head = parseSoundStreamHead(t.body);
            if (!head) { warn(head.error().message); break; }
            // One stream per timeline: a second head is ignored, as its blocks could not be told apart.
            if (!soundStream) {
                soundStream = std::make_shared<SoundStreamDef>();
                soundStream->head = head.value();
            }
            break;
        }
        case tag::SoundStreamBlock: {
            if (!soundStream) break;  // a block before any head cannot be read
            auto block = parseSoundStreamBlock(soundStream->head, t.body);
            if (!block) { warn(block.error().message); break; }
            soundStream->blocks.push_back({static_cast<uint32_t>(timeline.frames.size()), std::move(block.value())});
            frameHasContent = true;
            break;
        }
        case tag::DefineSceneAndFrameLabelData:
            if (main) readScenes(t.body);
            break;
        case tag::FileAttributes:
            if (main && !t.body.empty()) {
                movie_.as3_ = (t.body[0] & 0x08) != 0;
                movie_.useNetwork_ = (t.body[0] & 0x01) != 0;
            }
            break;
        case tag::ExportAssets:
            if (main) readExports(t.body);
            break;
        case tag::ImportAssets:
        case tag::ImportAssets2:
            if (main) readImports(t.code, t.body, frame);
            break;
        default:
            // Definitions inside a sprite are not allowed; the player ignores them.
            if (main) define(t);
            break;
        }
    }
    if (stream.truncated()) {
        if (main) movie_.truncated_ = true;
        warn("a tag runs past the end of the " + std::string(main ? "movie" : "sprite") + "; the rest is dropped");
    }
    if (!main) timeline.complete = stream.sawEndTag() && !frameHasContent;
    if (frameHasContent && (timeline.frames.size() < declaredFrames || timeline.frames.empty() || !main) &&
        timeline.frames.size() < kMaxFrames)
        timeline.frames.push_back(std::move(frame));
    if (timeline.frames.empty()) timeline.frames.emplace_back();
    if (soundStream && !soundStream->blocks.empty()) timeline.soundStream = std::move(soundStream);
}

void MovieLoader::readExports(std::span<const uint8_t> body) {
    BitReader r(body);
    const uint16_t count = r.u16();
    for (uint16_t i = 0; i < count && !r.failed(); ++i) {
        const uint16_t id = r.u16();
        std::string name = r.string();
        if (r.failed()) break;
        movie_.exports_[name] = id;  // a later export of a name replaces the earlier one
        movie_.exportNames_.emplace(id, std::move(name));
    }
}

void MovieLoader::readImports(uint16_t code, std::span<const uint8_t> body, FrameDef& frame) {
    BitReader r(body);
    AssetImport imp;
    imp.url = r.string();
    if (code == tag::ImportAssets2) r.skip(2);  // two reserved bytes
    const uint16_t count = r.u16();
    for (uint16_t i = 0; i < count && !r.failed(); ++i) {
        AssetImport::Asset a;
        a.id = r.u16();
        a.name = r.string();
        if (r.failed()) break;
        // An id already defined or imported keeps its first definition.
        if (movie_.dictionary_.count(a.id) || !importedIds_.insert(a.id).second) {
            warn("imported character " + std::to_string(a.id) + " is defined twice; the first definition is kept");
            continue;
        }
        frame.importedIds.push_back(a.id);
        imp.assets.push_back(std::move(a));
    }
    if (r.failed()) warn("an import tag is cut short");
    if (!imp.url.empty() && !imp.assets.empty()) movie_.imports_.push_back(std::move(imp));
}

void MovieLoader::readScenes(std::span<const uint8_t> body) {
    BitReader r(body);
    uint32_t sceneCount = r.encodedU32();
    std::vector<Scene> scenes;
    for (uint32_t i = 0; i < sceneCount && !r.failed(); ++i) {
        Scene s;
        s.firstFrame = r.encodedU32();
        s.name = r.string();
        if (!r.failed()) scenes.push_back(std::move(s));
    }
    uint32_t labelCount = r.encodedU32();
    for (uint32_t i = 0; i < labelCount && !r.failed(); ++i) {
        uint32_t frame = r.encodedU32();
        std::string name = r.string();
        if (!r.failed()) movie_.timeline_.labels.emplace(std::move(name), frame);
    }
    movie_.timeline_.scenes = std::move(scenes);
}

void MovieLoader::defineCharacter(uint16_t id, std::shared_ptr<const Character> character, const char* what) {
    // Flash keeps the first definition of an id and ignores later ones.
    if (importedIds_.count(id)) {
        warn(std::string(what) + " " + std::to_string(id) + " was imported before; the import is kept");
        return;
    }
    if (!movie_.dictionary_.emplace(id, std::move(character)).second)
        warn(std::string(what) + " " + std::to_string(id) + " is defined twice; the first definition is kept");
    else if (!movie_.timeline_.frames.empty())
        movie_.definingFrames_.emplace(id, static_cast<uint32_t>(movie_.timeline_.frames.size()));
}

void MovieLoader::define(const Tag& t) {
    BitReader head(t.body);
    const uint16_t id = head.u16();
    if (head.failed()) return;
    auto failed = [&](const char* what, const Error& e) {
        warn(std::string(what) + " " + std::to_string(id) + ": " + e.message);
    };
    switch (t.code) {
    case tag::DefineShape:
    case tag::DefineShape2:
    case tag::DefineShape3:
    case tag::DefineShape4: {
        auto s = parseShape(t.code, t.body);
        if (!s) { failed("shape", s.error()); break; }
        Rect b = shapeBounds(*s.value());
        defineCharacter(id, std::make_shared<ShapeCharacter>(id, std::move(s.value()), b), "shape");
        break;
    }
    case tag::DefineMorphShape:
    case tag::DefineMorphShape2: {
        auto m = parseMorphShape(t.code, t.body);
        if (!m) { failed("morph shape", m.error()); break; }
        defineCharacter(id, std::make_shared<MorphCharacter>(id, std::move(m.value())), "morph shape");
        break;
    }
    case tag::JpegTables:
        if (movie_.jpegTables_.empty()) movie_.jpegTables_.assign(t.body.begin(), t.body.end());
        break;
    case tag::DefineBits:
    case tag::DefineBitsJpeg2:
    case tag::DefineBitsJpeg3:
    case tag::DefineBitsJpeg4:
    case tag::DefineBitsLossless:
    case tag::DefineBitsLossless2: {
        if (movie_.dictionary_.count(id)) { warn("bitmap " + std::to_string(id) + " is defined twice"); break; }
        auto b = decodeBitmap(t.code, t.body, movie_.jpegTables_);
        if (!b) {
            // The character still exists: placing it makes an (empty) object that names resolve.
            failed("bitmap", b.error());
            b = std::make_shared<BitmapDef>();
        }
        b.value()->id = id;
        defineCharacter(id, std::move(b.value()), "bitmap");
        break;
    }
    case tag::DefineFont:
    case tag::DefineFont2:
    case tag::DefineFont3: {
        if (movie_.dictionary_.count(id)) { warn("font " + std::to_string(id) + " is defined twice"); break; }
        auto f = parseFont(t.code, t.body);
        if (!f) { failed("font", f.error()); break; }
        fonts_[id] = f.value();
        defineCharacter(id, std::make_shared<FontCharacter>(id, std::move(f.value())), "font");
        break;
    }
    case tag::DefineFontInfo:
    case tag::DefineFontInfo2:
    case tag::DefineFontName: {
        auto it = fonts_.find(id);
        if (it == fonts_.end()) break;
        if (auto st = applyFontInfo(*it->second, t.code, t.body); !st) failed("font info", st.error());
        break;
    }
    case tag::DefineText:
    case tag::DefineText2: {
        auto tx = parseText(t.code, t.body);
        if (!tx) { failed("text", tx.error()); break; }
        Rect b = textBounds(*tx.value());
        defineCharacter(id, std::make_shared<TextCharacter>(id, std::move(tx.value()), b), "text");
        break;
    }
    case tag::DefineEditText: {
        auto e = parseEditText(t.body);
        if (!e) { failed("edit text", e.error()); break; }
        defineCharacter(id, std::make_shared<EditTextCharacter>(id, std::move(e.value())), "edit text");
        break;
    }
    case tag::DefineButton:
    case tag::DefineButton2: {
        auto b = parseButton(t.code, t.body);
        if (!b) { failed("button", b.error()); break; }
        if (!buttons_.count(id)) buttons_[id] = b.value();
        defineCharacter(id, std::move(b.value()), "button");
        break;
    }
    case tag::DefineButtonCxform: {
        auto it = buttons_.find(id);
        if (it != buttons_.end()) applyButtonCxform(*it->second, t.body);
        break;
    }
    case tag::DefineSprite: {
        if (movie_.dictionary_.count(id)) { warn("sprite " + std::to_string(id) + " is defined twice"); break; }
        auto sprite = std::make_shared<SpriteDef>(id);
        uint16_t frames = head.u16();
        sprite->byteSize = static_cast<uint32_t>(head.rest().size());
        readTimeline(head.rest(), sprite->timeline, frames, false);
        defineCharacter(id, std::move(sprite), "sprite");
        break;
    }
    case tag::DefineSound: {
        auto sound = parseDefineSound(t.body);
        if (!sound) { failed("sound", sound.error()); break; }
        defineCharacter(id, std::move(sound.value()), "sound");
        break;
    }
    case tag::DefineVideoStream: {
        if (movie_.dictionary_.count(id)) { warn("video " + std::to_string(id) + " is defined twice"); break; }
        auto v = parseVideoStreamDef(t.body);
        if (!v) { failed("video", v.error()); break; }
        v.value()->id = id;
        videos_[id] = v.value();
        defineCharacter(id, std::move(v.value()), "video");
        break;
    }
    default:
        break;
    }
}

}  // namespace kelmora::player
