// Target paths: "/a/b", "../c", "_root.a.b", "_level1", and the path of a clip back as text.
#include <algorithm>
#include <vector>

#include "player/avm1/Interpreter.h"

namespace kelmora::player::avm1 {

namespace {
std::vector<std::string_view> split(std::string_view s, char sep) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= s.size(); ++i) {
        if (i == s.size() || s[i] == sep) {
            parts.push_back(s.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}
}  // namespace

ClipId Interpreter::resolveTarget(ClipId base, std::string_view path) {
    if (path.empty()) return base;
    NameEqual eq{false};
    ClipId cur = base;
    bool slashes = path.find('/') != std::string_view::npos || path.find(':') != std::string_view::npos;
    if (slashes && path[0] == '/') {
        cur = base ? host_.rootOf(base) : host_.level(0);
        path.remove_prefix(1);
    }
    // "/" and ":" both separate clips in a slash path, and a part of it may itself be dotted
    // ("_level0:_root.mask").
    std::vector<std::string_view> segs;
    if (slashes) {
        const std::vector<std::string_view> parts = split(path, '/');
        for (size_t i = 0; i < parts.size(); ++i) {
            // "a//b" names nothing; one slash at the end is allowed.
            if (parts[i].empty() && i + 1 < parts.size()) return kNoClip;
            for (std::string_view piece : split(parts[i], ':')) {
                std::vector<std::string_view> dotted = split(piece, '.');
                // Only names joined by single dots; "..." and the like name nothing.
                const bool names = std::none_of(dotted.begin(), dotted.end(), [](auto d) { return d.empty(); });
                if (names) segs.insert(segs.end(), dotted.begin(), dotted.end());
                else segs.push_back(piece);
            }
        }
    } else {
        segs = split(path, '.');
    }
    for (std::string_view seg : segs) {
        if (seg.empty()) continue;
        if (cur == kNoClip && !(seg.size() > 6 && eq(seg.substr(0, 6), "_level")) && !eq(seg, "_root")) return kNoClip;
        if (seg == ".." || eq(seg, "_parent")) {
            cur = host_.parent(cur);
        } else if (eq(seg, "_root")) {
            cur = cur ? host_.rootOf(cur) : host_.level(0);
        } else if (eq(seg, "this")) {
            // stays
        } else if (seg.size() > 6 && eq(seg.substr(0, 6), "_level")) {
            int n = 0;
            for (char c : seg.substr(6)) {
                if (c < '0' || c > '9' || n > 100000) return kNoClip;
                n = n * 10 + (c - '0');
            }
            cur = host_.level(n);
        } else {
            ClipId c = host_.child(cur, seg, heap_.caseSensitive());
            if (!c) {
                // A variable that holds a clip also names it.
                Value v = getMember(clipObject(cur), seg);
                Object* o = v.object();
                c = o && o->kind() == ObjectKind::Clip && host_.exists(o->clip) ? o->clip : kNoClip;
            }
            cur = c;
        }
        if (cur == kNoClip) return kNoClip;
    }
    return cur;
}

std::string Interpreter::targetPath(ClipId clip, bool slashes) {
    std::vector<std::string> names;
    ClipId cur = clip;
    int level = -1;
    for (int guard = 0; cur != kNoClip && guard < 10000; ++guard) {
        level = host_.levelNumber(cur);
        if (level >= 0) break;
        names.push_back(host_.name(cur));
        cur = host_.parent(cur);
    }
    if (level < 0) level = 0;
    std::string out;
    if (slashes) {
        if (level != 0) out = "_level" + std::to_string(level);
        if (names.empty()) return out.empty() ? "/" : out;
        for (auto it = names.rbegin(); it != names.rend(); ++it) out += "/" + *it;
        return out;
    }
    out = "_level" + std::to_string(level);
    for (auto it = names.rbegin(); it != names.rend(); ++it) out += "." + *it;
    return out;
}

}  // namespace kelmora::player::avm1
