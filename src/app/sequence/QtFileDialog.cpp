#include "app/sequence/QtFileDialog.h"

#include <QFileDialog>
#include <QFileInfo>
#include <QStringList>

namespace kelmora {
namespace {

QString q(const std::string& s) { return QString::fromStdString(s); }

void prepare(QFileDialog& dialog, const FileDialogRequest& r) {
    dialog.setWindowTitle(q(r.title));
    const QStringList filters = qtFilter(r.filters).split(QStringLiteral(";;"), Qt::SkipEmptyParts);
    dialog.setNameFilters(filters);
    if (r.filterIndex > 0 && r.filterIndex <= filters.size()) dialog.selectNameFilter(filters[r.filterIndex - 1]);
    const QFileInfo start(q(r.initialDirectory));
    if (!r.initialDirectory.empty()) dialog.setDirectory(start.isDir() ? start.absoluteFilePath() : start.absolutePath());
    if (!r.fileName.empty()) dialog.selectFile(q(r.fileName));
    if (!r.defaultExtension.empty()) dialog.setDefaultSuffix(q(r.defaultExtension));
}

}  // namespace

QString qtFilter(const std::vector<FileFilter>& filters) {
    QStringList out;
    for (const auto& f : filters) {
        QString name = q(f.description);
        const int paren = name.indexOf(QLatin1Char('('));
        if (paren >= 0) name = name.left(paren).trimmed();
        QString patterns = q(f.pattern).replace(QLatin1Char(';'), QLatin1Char(' '));
        QStringList list = patterns.split(QLatin1Char(' '), Qt::SkipEmptyParts);
        for (auto& p : list) {
            if (p == QStringLiteral("*.*")) p = QStringLiteral("*");
        }
        out << QStringLiteral("%1 (%2)").arg(name, list.join(QLatin1Char(' ')));
    }
    return out.join(QStringLiteral(";;"));
}

std::optional<std::string> QtFileDialog::openFile(const FileDialogRequest& r) {
    QFileDialog dialog(parent_);
    prepare(dialog, r);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(r.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::optional<std::string> QtFileDialog::saveFile(const FileDialogRequest& r) {
    QFileDialog dialog(parent_);
    prepare(dialog, r);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !r.overwritePrompt);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return dialog.selectedFiles().first().toStdString();
}

std::vector<std::string> QtFileDialog::openFiles(const FileDialogRequest& r) {
    QFileDialog dialog(parent_);
    prepare(dialog, r);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setFileMode(QFileDialog::ExistingFiles);
    std::vector<std::string> out;
    if (dialog.exec() != QDialog::Accepted) return out;
    for (const auto& f : dialog.selectedFiles()) out.push_back(f.toStdString());
    return out;
}

}  // namespace kelmora
