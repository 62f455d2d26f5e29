#pragma once
// File dialogs as an interface (the program implements it with Qt's dialogs, tests with a
// script), the dialog object that keeps its settings as properties, and the multi-select routine
// with its text result: one full path, or the folder and the names, each followed by CR LF.
// File names keep their case: Linux file names are case-sensitive.
#include <optional>
#include <string>
#include <vector>

namespace kelmora {

struct FileFilter {
    std::string description;  // "Bitmaps (*.bmp)"
    std::string pattern;      // "*.bmp"
};

struct FileDialogRequest {
    std::string title;
    std::vector<FileFilter> filters;
    int filterIndex = 0;
    std::string initialDirectory;  // a folder, or a file to start at
    std::string fileName;          // shown in the name box
    std::string defaultExtension;  // added when the user types none
    bool fileMustExist = true;
    bool overwritePrompt = true;
};

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // Full path of the chosen file; nothing when cancelled.
    virtual std::optional<std::string> openFile(const FileDialogRequest& request) = 0;
    virtual std::optional<std::string> saveFile(const FileDialogRequest& request) = 0;
    // Full paths of the chosen files, all in one folder; empty when cancelled.
    virtual std::vector<std::string> openFiles(const FileDialogRequest& request) = 0;
};

// "Bitmaps (*.bmp)|*.bmp|All Files (*.*)|*.*": description and pattern parts separated by "|"
// (":" separates too); a description without a pattern gets "*".
std::vector<FileFilter> convertFilter(const std::string& filter);

// The user's documents folder ($HOME/Documents when it exists, else $HOME).
std::string documentsFolder();

class cFileDlg {
public:
    cFileDlg();

    bool FileMustExist = true;
    bool OverwritePrompt = true;
    std::string Filter;
    int FilterIndex = 0;
    std::string InitDirectory;  // afterwards the chosen file, so a second run starts there
    std::string DlgTitle = "kelmora";
    std::string DefaultExt;

    // filename: the name shown at start; on true the chosen full path. False: nothing chosen.
    bool VBGetOpenFileName(FileDialog& dialog, std::string& filename, std::string* fileTitle = nullptr);
    bool VBGetSaveFileName(FileDialog& dialog, std::string& filename, std::string* fileTitle = nullptr);

    static bool ExistFile(const std::string& path);
    static std::string VBGetFileTitle(const std::string& file);  // the name without its folder

private:
    FileDialogRequest request(const std::string& filename) const;
    bool finish(const std::optional<std::string>& chosen, std::string& filename, std::string* fileTitle);
};

// The dialog's choice as text: one full path + CR LF, or folder + CR LF + each name + CR LF;
// CR LF alone when nothing was chosen.
std::string assembleSelection(const std::vector<std::string>& chosenPaths);

// Runs the multi-select dialog starting in initialDirectory and assembles its choice.
std::string selectMultipleFiles(FileDialog& dialog, const std::string& title, const std::string& filter,
                                const std::string& initialDirectory);

// Splits such a text back into full paths: two parts mean one file; more mean the folder and
// the names. Empty when nothing was chosen.
std::vector<std::string> splitSelection(const std::string& text);

}  // namespace kelmora
