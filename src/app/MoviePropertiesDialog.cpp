#include "app/MoviePropertiesDialog.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLineEdit>

namespace kelmora::app {

MoviePropertiesDialog::MoviePropertiesDialog(const swf::MoviePropertiesPrefill& fields, QWidget* parent)
    : QDialog(parent), fields_(fields) {
    setWindowTitle("Movie Properties");
    auto* form = new QFormLayout(this);
    auto row = [&](const char* label, const std::string& value) {
        auto* edit = new QLineEdit(QString::fromStdString(value));
        edit->setReadOnly(true);
        form->addRow(label, edit);
    };
    row("Movie file:", fields_.movieFileName);
    row("Version:", fields_.version);
    row("Width:", fields_.width);
    row("Height:", fields_.height);
    row("Frame rate:", fields_.frameRate);
    row("Frames:", fields_.frameCount);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    form->addRow(buttons);
}

}  // namespace kelmora::app
