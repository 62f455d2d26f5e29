#include "sequence/FileDialog.h"

#include <sys/stat.h>

#include <cstdlib>

#include "util/MessageSink.h"

namespace kelmora {
namespace {

std::string folderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return {};
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string joinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) return name;
    return folder.back() == '/' ? folder + name : folder + "/" + name;
}

}  // namespace

std::vector<FileFilter> convertFilter(const std::string& filter) {
    std::vector<std::string> parts(1);
    for (char c : filter) {
        if (c == '|' || c == ':') {
            parts.emplace_back();
        } else {
            parts.back() += c;
        }
    }
    std::vector<FileFilter> out;
    for (size_t i = 0; i < parts.size(); i += 2) {
        if (parts[i].empty() && (i + 1 >= parts.size() || parts[i + 1].empty())) continue;
        out.push_back({parts[i], i + 1 < parts.size() && !parts[i + 1].empty() ? parts[i + 1] : "*"});
    }
    return out;
}

std::string documentsFolder() {
    const char* home = std::getenv("HOME");
    if (!home || !*home) return {};
    const std::string documents = joinPath(home, "Documents");
    struct stat st {};
    if (::stat(documents.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) return documents;
    return home;
}

cFileDlg::cFileDlg() : InitDirectory(documentsFolder()) {}

FileDialogRequest cFileDlg::request(const std::string& filename) const {
    FileDialogRequest r;
    r.title = DlgTitle;
    r.filters = convertFilter(Filter);
    r.filterIndex = FilterIndex;
    r.initialDirectory = InitDirectory;
    r.fileName = filename;
    r.defaultExtension = DefaultExt;
    r.fileMustExist = FileMustExist;
    r.overwritePrompt = OverwritePrompt;
    return r;
}

bool cFileDlg::finish(const std::optional<std::string>& chosen, std::string& filename, std::string* fileTitle) {
    if (!chosen || chosen->empty()) return false;
    filename = *chosen;
    if (fileTitle) *fileTitle = VBGetFileTitle(*chosen);
    InitDirectory = *chosen;
    return true;
}

bool cFileDlg::VBGetOpenFileName(FileDialog& dialog, std::string& filename, std::string* fileTitle) {
    return finish(dialog.openFile(request(filename)), filename, fileTitle);
}

bool cFileDlg::VBGetSaveFileName(FileDialog& dialog, std::string& filename, std::string* fileTitle) {
    return finish(dialog.saveFile(request(filename)), filename, fileTitle);
}

bool cFileDlg::ExistFile(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0;
}

std::string cFileDlg::VBGetFileTitle(const std::string& file) {
    const size_t slash = file.rfind('/');
    return slash == std::string::npos ? file : file.substr(slash + 1);
}

std::string assembleSelection(const std::vector<std::string>& chosen) {
    if (chosen.empty()) return kCrLf;
    if (chosen.size() == 1) return chosen[0] + kCrLf;
    std::string out = folderOf(chosen[0]) + kCrLf;
    for (const auto& path : chosen) out += cFileDlg::VBGetFileTitle(path) + kCrLf;
    return out;
}

std::string selectMultipleFiles(FileDialog& dialog, const std::string& title, const std::string& filter,
                                const std::string& initialDirectory) {
    FileDialogRequest r;
    r.title = title;
    r.filters = convertFilter(filter);
    r.initialDirectory = initialDirectory;
    return assembleSelection(dialog.openFiles(r));
}

std::vector<std::string> splitSelection(const std::string& text) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t p; (p = text.find(kCrLf, start)) != std::string::npos; start = p + 2) parts.push_back(text.substr(start, p - start));
    parts.push_back(text.substr(start));
    if (parts[0].empty()) return {};
    if (parts.size() == 2) return {parts[0]};
    std::vector<std::string> paths;
    for (size_t i = 1; i + 1 < parts.size(); ++i) {
        if (!parts[i].empty()) paths.push_back(joinPath(parts[0], parts[i]));
    }
    if (parts.size() == 1) paths.push_back(parts[0]);  // a path without its CR LF
    return paths;
}

}  // namespace kelmora
