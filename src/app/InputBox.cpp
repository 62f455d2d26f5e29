#include "app/InputBox.h"

#include <QInputDialog>

namespace kelmora::app {

std::optional<std::string> QtInputBox::ask(const std::string& title, const std::string& prompt,
                                           const std::string& defaultAnswer, QPoint topLeft) {
    QInputDialog box(parent_);
    box.setWindowTitle(QString::fromStdString(title));
    box.setLabelText(QString::fromStdString(prompt).replace("\r\n", "\n"));
    box.setTextValue(QString::fromStdString(defaultAnswer));
    box.setInputMode(QInputDialog::TextInput);
    box.move(topLeft);
    if (box.exec() != QDialog::Accepted) return std::nullopt;
    return box.textValue().toStdString();
}

}  // namespace kelmora::app
