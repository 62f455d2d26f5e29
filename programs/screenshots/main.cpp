// kelmora-screenshots FOLDER: pictures of the main window, the preferences, the summary and the
// Movie Properties dialog for the documentation (scripts/screenshots runs it under Xvfb).
#include <QApplication>
#include <QMessageBox>
#include <QPixmap>
#include <QTimer>
#include <string>

#include "app/MainWindow.h"
#include "app/PreferencesDialog.h"
#include "app/extras/WriteSwfDialog.h"
#include "capture/CaptureTexts.h"
#include "util/MessageSink.h"

using namespace kelmora;

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    if (argc != 2) return 2;
    QString folder = argv[1];
    std::string programFolder = QCoreApplication::applicationDirPath().toStdString() + "/../bin";
    SilentMessageSink messages;
    Settings settings(programFolder);
    app::StartupFields startup;
    app::PreferencesDialog preferences(settings, startup.suppressErrors, messages, programFolder + "/help.html");
    app::MainWindow window(settings, startup, messages, preferences, "/dev/null");
    window.show();
    window.readSwfHeader(programFolder + "/sample.swf", false);
    (void)window.player().setMovie(programFolder + "/sample.swf");
    window.player().rewind();
    window.setStatus("Frame 12 of 32 (0.01 sec)");
    window.setElapsedTime("00:00.02");
    window.setEstimatedTime("00:00.03");
    preferences.show();
    // As the container command leaves it: filled from the header, with the frame count answered.
    app::frmWriteSWF& properties = window.writeSwfDialog();
    properties.properties().frameCount = "100";
    properties.show();
    QMessageBox summary(QMessageBox::Information, "kelmora",
                        QString::fromStdString(capture::summaryText(31, "00:00.04", 0.01, "/home/user/movies/"))
                            .replace("\r\n", "\n"));
    summary.show();
    QTimer::singleShot(800, [&] {
        window.grab().save(folder + "/main-window.png");
        preferences.grab().save(folder + "/preferences.png");
        summary.grab().save(folder + "/summary.png");
        properties.grab().save(folder + "/movie-properties.png");
        application.quit();
    });
    return application.exec();
}
