#pragma once
// File and compressor dialogs that answer from a script and remember what they were asked.
#include <optional>
#include <string>
#include <vector>

#include "sequence/Compressor.h"
#include "sequence/FileDialog.h"

namespace kelmora::testing {

class ScriptedFileDialog : public FileDialog {
public:
    std::optional<std::string> openFile(const FileDialogRequest& r) override {
        asked.push_back(r);
        return answer;
    }
    std::optional<std::string> saveFile(const FileDialogRequest& r) override {
        asked.push_back(r);
        return answer;
    }
    std::vector<std::string> openFiles(const FileDialogRequest& r) override {
        asked.push_back(r);
        return many;
    }
    std::optional<std::string> answer;
    std::vector<std::string> many;
    std::vector<FileDialogRequest> asked;
};

class ScriptedCompressorDialog : public CompressorDialog {
public:
    std::optional<CompressorChoice> choose(const std::vector<CompressorOption>& options,
                                           const CompressorChoice& initial) override {
        offered = options;
        started = initial;
        return answer;
    }
    std::optional<CompressorChoice> answer = CompressorChoice{};
    std::vector<CompressorOption> offered;
    CompressorChoice started;
};

}  // namespace kelmora::testing
