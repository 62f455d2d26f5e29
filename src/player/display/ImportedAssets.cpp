#include "player/display/ImportedAssets.h"

#include <filesystem>
#include <fstream>

#include "player/display/PlayContext.h"
#include "player/format/MovieDef.h"

namespace kelmora::player {

namespace {

std::shared_ptr<const MovieDef> readMovie(const std::string& path) {
    std::ifstream in(path, std::ios::binary | std::ios::ate);
    if (!in) return nullptr;
    const std::streamoff size = in.tellg();
    if (size <= 0 || static_cast<uint64_t>(size) > ImportedAssets::kMaxFileSize) return nullptr;
    std::vector<uint8_t> bytes(static_cast<size_t>(size));
    in.seekg(0);
    if (!in.read(reinterpret_cast<char*>(bytes.data()), size)) return nullptr;
    auto def = MovieDef::load(bytes);
    if (!def || def.value()->usesActionScript3()) return nullptr;
    return std::move(def.value());
}

std::string canonical(const std::string& path) {
    std::error_code ec;
    auto p = std::filesystem::weakly_canonical(path, ec);
    return ec ? path : p.string();
}

}  // namespace

bool isLocalMoviePath(const std::string& url) {
    return !url.empty() && url[0] != '/' && url.find(':') == std::string::npos && url.find('\\') == std::string::npos;
}

ImportedAssets::ImportedAssets() = default;
ImportedAssets::~ImportedAssets() = default;

void ImportedAssets::resolve(const MovieDef& movie, const std::string& folder, const std::vector<std::string>& chain) {
    if (chain.size() >= kMaxChain) return;
    std::unordered_map<std::string, PlayContext*> byPath;
    for (const AssetImport& imp : movie.imports()) {
        std::string url = imp.url.substr(0, imp.url.find_first_of("?#"));
        if (!isLocalMoviePath(url)) continue;
        const std::string path = canonical(folder + "/" + url);
        PlayContext* source = nullptr;
        if (auto it = byPath.find(path); it != byPath.end()) {
            source = it->second;
        } else {
            byPath.emplace(path, nullptr);
            bool cycle = false;
            for (const std::string& p : chain) cycle = cycle || p == path;
            if (cycle || movies_.size() >= kMaxMovies) continue;
            auto def = readMovie(path);
            if (!def) continue;
            auto context = std::make_unique<PlayContext>(std::move(def));
            std::vector<std::string> inner = chain;
            inner.push_back(path);
            const auto slash = path.find_last_of('/');
            context->importAssets(slash == std::string::npos ? std::string(".") : path.substr(0, slash), inner);
            source = context.get();
            byPath[path] = source;
            movies_.push_back(std::move(context));
        }
        if (!source) continue;
        for (const AssetImport::Asset& a : imp.assets) {
            auto e = source->movie().exports().find(a.name);
            if (e == source->movie().exports().end()) continue;  // no such export: skipped
            characters_.emplace(a.id, Source{source, e->second});
            names_.emplace_back(a.name, a.id);
        }
    }
}

const ImportedAssets::Source* ImportedAssets::find(uint16_t id) const {
    auto it = characters_.find(id);
    return it == characters_.end() ? nullptr : &it->second;
}

uint16_t ImportedAssets::idByName(const std::string& name) const {
    for (const auto& [n, id] : names_)
        if (n == name) return id;
    return 0;
}

}  // namespace kelmora::player
