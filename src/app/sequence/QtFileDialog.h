#pragma once
// The file dialogs over Qt's QFileDialog.
#include <QString>

#include "sequence/FileDialog.h"

class QWidget;

namespace kelmora {

class QtFileDialog : public FileDialog {
public:
    explicit QtFileDialog(QWidget* parent) : parent_(parent) {}
    std::optional<std::string> openFile(const FileDialogRequest& request) override;
    std::optional<std::string> saveFile(const FileDialogRequest& request) override;
    std::vector<std::string> openFiles(const FileDialogRequest& request) override;

private:
    QWidget* parent_;
};

// Qt's form of a filter list: "Bitmaps (*.bmp);;All Files (*)". "*.*" becomes "*", since Linux
// names need no dot.
QString qtFilter(const std::vector<FileFilter>& filters);

}  // namespace kelmora
