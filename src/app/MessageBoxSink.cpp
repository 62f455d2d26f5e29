#include "app/MessageBoxSink.h"

#include <QGuiApplication>
#include <QMessageBox>
#include <cstdio>
#include <string>

namespace kelmora::app {

MessageAnswer MessageBoxSink::show(const Message& message) {
    // Without a display nobody can answer: the message goes to stderr and takes the first button.
    if (QGuiApplication::platformName() == "offscreen") {
        QByteArray text = QString::fromStdString(message.text).replace("\r\n", "\n").toUtf8();
        std::fprintf(stderr, "%s: %s\n", message.title.empty() ? kProgramTitle : message.title.c_str(), text.constData());
        return SilentMessageSink().show(message);
    }
    QMessageBox box(parent_);
    box.setWindowTitle(QString::fromStdString(message.title.empty() ? kProgramTitle : message.title));
    box.setText(QString::fromStdString(message.text).replace("\r\n", "\n"));
    switch (message.icon) {
    case MessageIcon::Information: box.setIcon(QMessageBox::Information); break;
    case MessageIcon::Warning: box.setIcon(QMessageBox::Warning); break;
    case MessageIcon::Question: box.setIcon(QMessageBox::Question); break;
    case MessageIcon::Stop: box.setIcon(QMessageBox::Critical); break;
    case MessageIcon::None: break;
    }
    switch (message.buttons) {
    case MessageButtons::Ok: box.setStandardButtons(QMessageBox::Ok); break;
    case MessageButtons::OkCancel: box.setStandardButtons(QMessageBox::Ok | QMessageBox::Cancel); break;
    case MessageButtons::YesNo: box.setStandardButtons(QMessageBox::Yes | QMessageBox::No); break;
    }
    switch (box.exec()) {
    case QMessageBox::Cancel: return MessageAnswer::Cancel;
    case QMessageBox::Yes: return MessageAnswer::Yes;
    case QMessageBox::No: return MessageAnswer::No;
    default: return message.buttons == MessageButtons::OkCancel ? MessageAnswer::Cancel
                    : message.buttons == MessageButtons::YesNo ? MessageAnswer::No : MessageAnswer::Ok;
    }
}

}  // namespace kelmora::app
