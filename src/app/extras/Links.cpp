#include "app/extras/Links.h"

#include <QCoreApplication>
#include <QDesktopServices>
#include <QDir>

namespace kelmora::app {

void DesktopUrlOpener::open(const QUrl& url) { QDesktopServices::openUrl(url); }

UrlOpener& desktopUrlOpener() {
    static DesktopUrlOpener opener;
    return opener;
}

std::string programFolder() {
    QString dir = QCoreApplication::applicationDirPath();
    if (!dir.endsWith('/')) dir += '/';
    return dir.toStdString();
}

void openLink(std::string& address, const std::string& mode, UrlOpener& opener) {
    if (address.compare(0, 7, "http://") != 0 && mode != "local") address = "http://" + address;
    if (mode == "local") {
        const QString path = QString::fromStdString(address);
        // Relative documents are found in the program's folder, its working folder.
        const QString absolute = QDir::isAbsolutePath(path)
                                     ? path
                                     : QDir(QString::fromStdString(programFolder())).absoluteFilePath(path);
        opener.open(QUrl::fromLocalFile(absolute));
        return;
    }
    opener.open(QUrl(QString::fromStdString(address), QUrl::TolerantMode));
}

void openLink(std::string& address, const std::string& mode) { openLink(address, mode, desktopUrlOpener()); }

std::string mailText(const std::string& address, const std::string& subject, const std::string& body) {
    return "mailto:" + address + "?Subject=" + subject + "&Body=" + body;
}

QUrl mailUrl(const std::string& address, const std::string& subject, const std::string& body) {
    return QUrl(QString::fromStdString(mailText(address, subject, body)), QUrl::TolerantMode);
}

void openMail(const std::string& address, const std::string& subject, const std::string& body, UrlOpener& opener) {
    opener.open(mailUrl(address, subject, body));
}

void openMail(const std::string& address, const std::string& subject, const std::string& body) {
    openMail(address, subject, body, desktopUrlOpener());
}

}  // namespace kelmora::app
