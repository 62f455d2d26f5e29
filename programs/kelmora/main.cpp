// The program: start-up checks, settings, the command line, the main window and a batch run.
#include <QApplication>
#include <QLabel>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "app/InstanceLock.h"
#include "app/MainWindow.h"
#include "app/extras/AboutBox.h"
#include "app/extras/Links.h"
#include "app/MessageBoxSink.h"
#include "app/OutputNameCheck.h"
#include "app/PreferencesDialog.h"
#include "app/StartupChecks.h"
#include "settings/IniFile.h"

using namespace kelmora;
using namespace kelmora::app;

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    for (const std::string& arg : args) {
        if (arg == "--help") {
            std::fputs(helpText().c_str(), stdout);
            return 0;
        }
        if (arg == "--version") {
            std::printf("%s\n", versionTitle().c_str());
            return 0;
        }
    }

    QApplication application(argc, argv);
    application.setQuitOnLastWindowClosed(false);
    QLabel splash(QString::fromStdString(versionTitle()));
    splash.setWindowTitle("LOADING...");
    splash.setMinimumSize(193, 25);
    splash.show();
    QCoreApplication::processEvents();

    InstanceLock lock;
    if (!lock.acquired()) return 0;

    std::string programFolder = std::filesystem::path(QCoreApplication::applicationDirPath().toStdString()).string();
    MessageBoxSink messages;
    Settings settings(programFolder);
    StartupFields startup;
    std::string settingsFile = settingsFilePath(programFolder);
    PreferencesDialog preferences(settings, startup.suppressErrors, messages, programFolder + "/help.html");

    auto openWebPage = [](const std::string& address) {
        std::string link = address;
        openLink(link, "");
    };
    {
        PlayerWidget probe;
        if (!playerCheck(probe, messages, openWebPage)) {
            writeIni(settings, settingsFile, messages);
            return 0;
        }
    }
    loadIni(settings, settingsFile, messages);

    if (!args.empty()) {
        preferences.show();
        QCoreApplication::processEvents();
        applySwitches(startup, args, settings, messages,
                      [](const std::string& path) {
                          std::error_code ec;
                          return std::filesystem::is_regular_file(path, ec);
                      },
                      [&] { checkOutputName(settings, startup.suppressErrors, messages); });
    }

    MainWindow window(settings, startup, messages, preferences, settingsFile);
    messages.setParent(&window);
    window.show();
    splash.close();

    if (args.empty()) showAboutBox(&window);

    if (startup.commandSourceFile == kQuitMarker) {
        window.close();
        return 0;
    }
    if (!startup.commandSourceFile.empty()) window.autoStart();
    return application.exec();
}
