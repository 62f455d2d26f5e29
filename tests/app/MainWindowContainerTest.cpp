// The container command run from the main window's menu, through the window's own labels, header
// reader, Movie Properties dialog and writer; only the file dialog, the input box and the message
// boxes are stand-ins.
#include <gtest/gtest.h>

#include <QAction>
#include <QLineEdit>
#include <QScreen>
#include <QTimer>
#include <deque>
#include <filesystem>
#include <functional>

#include "ExtrasQtApp.h"
#include "app/MainWindow.h"
#include "app/PreferencesDialog.h"
#include "app/extras/WriteSwfDialog.h"
#include "swf/writer/SwfWriter.h"

namespace fs = std::filesystem;
using namespace kelmora;
using namespace kelmora::app;

namespace {

struct ScriptedFiles : FileDialog {
    std::deque<std::optional<std::string>> answers;
    std::vector<FileDialogRequest> asked;
    std::optional<std::string> openFile(const FileDialogRequest& r) override {
        asked.push_back(r);
        if (answers.empty()) return std::nullopt;
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
    std::optional<std::string> saveFile(const FileDialogRequest&) override { return std::nullopt; }
    std::vector<std::string> openFiles(const FileDialogRequest&) override { return {}; }
};

struct ScriptedInput : InputBox {
    std::optional<std::string> answer = "100";
    int asked = 0;
    QPoint where;
    std::optional<std::string> ask(const std::string& title, const std::string& prompt, const std::string& def,
                                   QPoint topLeft) override {
        ++asked;
        EXPECT_EQ(title, "Frame Count");
        EXPECT_EQ(prompt, frameCountPrompt());
        EXPECT_EQ(def, "100");
        where = topLeft;
        return answer;
    }
};

struct RecordingSink : MessageSink {
    std::vector<Message> shown;
    MessageAnswer show(const Message& m) override {
        shown.push_back(m);
        return m.buttons == MessageButtons::YesNo ? MessageAnswer::Yes : MessageAnswer::Ok;
    }
    bool has(const std::string& start) const {
        for (const Message& m : shown)
            if (m.text.rfind(start, 0) == 0) return true;
        return false;
    }
};

struct Rig {
    fs::path dir;
    Settings settings;
    StartupFields startup;
    RecordingSink messages;
    PreferencesDialog preferences;
    MainWindow window;
    ScriptedFiles files;
    ScriptedInput input;

    Rig()
        : dir(fs::temp_directory_path() / ("kelmora-wrap-" + std::to_string(::getpid()) + "-" +
                                           ::testing::UnitTest::GetInstance()->current_test_info()->name())),
          settings(dir.string()),
          preferences(settings, startup.suppressErrors, messages, "/nonexistent/help.html"),
          window(settings, startup, messages, preferences, "/dev/null") {
        fs::remove_all(dir);
        fs::create_directories(dir);
        window.useDialogs(files, input);
    }
    ~Rig() { fs::remove_all(dir); }

    std::string movie(const char* name, int w, int h) {
        swf::SwfWriter writer(6);
        writer.frameSizePixels(w, h).frameRate(24);
        writer.setBackgroundColor(swf::Rgba::fromRgb(0x336699)).showFrame();
        const std::string path = (dir / name).string();
        EXPECT_TRUE(writer.writeFile(path).ok());
        return path;
    }
    std::string container() const { return (dir / "kelmora-container.swf").string(); }

    void autoWrap() {
        QAction* command = nullptr;
        for (QAction* a : window.findChildren<QAction*>())
            if (a->text() == "&Auto Wrap Movie (build container movie)") command = a;
        ASSERT_NE(command, nullptr);
        EXPECT_TRUE(command->isEnabled());
        EXPECT_EQ(command->shortcut(), QKeySequence("Ctrl+W"));
        command->trigger();
    }
    std::string label(InfoLabel l) const { return window.label(l); }
};

// Runs `work` on the Movie Properties dialog once it is up in its own modal loop.
void whenDialogShows(MainWindow& window, std::function<void(frmWriteSWF&)> work) {
    QTimer::singleShot(0, &window, [&window, work] {
        frmWriteSWF& dialog = window.writeSwfDialog();
        if (!dialog.isVisible()) return whenDialogShows(window, work);
        work(dialog);
    });
}

}  // namespace

TEST(MainWindowContainer, WrapsAReadableMovieAndKeepsItChosen) {
    kelmora::testing::extrasQtApp();
    Rig rig;
    // Nothing chosen yet in this run: the command ends without asking or writing.
    rig.autoWrap();
    EXPECT_EQ(rig.input.asked, 0);
    EXPECT_FALSE(fs::exists(rig.container()));
    EXPECT_TRUE(rig.window.passiveInfoMode);  // only a chosen file turns it off

    const std::string movie = rig.movie("movie.swf", 550, 400);
    rig.files.answers = {movie};
    rig.autoWrap();
    EXPECT_EQ(rig.files.asked.back().title, "Select Flash SWF-File..");
    EXPECT_EQ(rig.input.asked, 1);
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    EXPECT_EQ(rig.input.where, QPoint(screen.width() / 2 - 166, screen.height() / 2 - 100));
    EXPECT_FALSE(rig.window.passiveInfoMode);
    EXPECT_FALSE(rig.window.dontShowPropertiesDialog);
    ASSERT_TRUE(fs::exists(rig.container()));
    EXPECT_EQ(fs::file_size(rig.container()), 315u);
    // The labels show the container as read back; the file dialog and the dialog still name the movie.
    EXPECT_EQ(rig.label(InfoLabel::FrameCount), "100");
    EXPECT_EQ(rig.label(InfoLabel::FrameRate), "1");
    EXPECT_EQ(rig.label(InfoLabel::Width), "550");
    EXPECT_EQ(rig.label(InfoLabel::Size), "315");
    EXPECT_EQ(rig.window.fileDialogPath(), movie);
    EXPECT_EQ(rig.window.writeSwfDialog().properties().movieFileName, "movie.swf");
    ASSERT_FALSE(rig.messages.shown.empty());
    EXPECT_EQ(rig.messages.shown.back().title, "Container movie generated");
    EXPECT_TRUE(rig.messages.has("File '" + rig.dir.string() + "/kelmora-container.swf' generated."));

    // A cancelled file dialog goes on with the movie chosen before; the first attempt asks before
    // replacing the container, the user says Yes.
    rig.messages.shown.clear();
    rig.input.answer = "7";
    rig.autoWrap();
    EXPECT_EQ(rig.input.asked, 2);
    EXPECT_TRUE(rig.window.passiveInfoMode);
    EXPECT_TRUE(rig.messages.has("File already exists. Overwrite?"));
    EXPECT_EQ(rig.label(InfoLabel::FrameCount), "7");

    // A cancelled frame-count question writes nothing.
    fs::remove(rig.container());
    rig.input.answer.reset();
    rig.files.answers = {movie};
    rig.autoWrap();
    EXPECT_FALSE(fs::exists(rig.container()));
}

TEST(MainWindowContainer, UnreadableMovieTakesTheTypedValues) {
    kelmora::testing::extrasQtApp();
    Rig rig;
    // "C" says compressed; what follows is no zlib stream, so nothing can be read.
    const std::string movie = (rig.dir / "packed.swf").string();
    {
        std::FILE* f = std::fopen(movie.c_str(), "wb");
        ASSERT_NE(f, nullptr);
        std::fputs("CWS\x06garbage that is not deflate data", f);
        std::fclose(f);
    }

    // Cancelled dialog: "?" stays in width and height; the user is told and no file is written.
    rig.files.answers = {movie};
    whenDialogShows(rig.window, [](frmWriteSWF& d) {
        EXPECT_EQ(d.txtWidth()->text(), "?");
        EXPECT_EQ(d.txtFrameRate()->text(), "1");
        d.hide();
    });
    rig.autoWrap();
    EXPECT_EQ(rig.input.asked, 0);
    EXPECT_TRUE(rig.messages.has("This is a compressed Shockwave/Flash file."));
    EXPECT_TRUE(rig.messages.has("The movie width \"?\" is not a whole number from 1 to 1638."));
    EXPECT_FALSE(fs::exists(rig.container()));

    // Typed values: Ok first refuses a missing colour, then takes them into the labels.
    rig.messages.shown.clear();
    rig.files.answers = {movie};
    whenDialogShows(rig.window, [&rig](frmWriteSWF& d) {
        d.txtWidth()->setText("550");
        d.txtHeight()->setText("400");
        d.txtFrameCount()->setText("12.7");
        d.ok();
        EXPECT_TRUE(rig.messages.has("You must specify a background color"));
        EXPECT_TRUE(d.isVisible());
        d.properties().hatched = false;
        d.ok();
        EXPECT_FALSE(d.isVisible());
    });
    rig.autoWrap();
    EXPECT_EQ(rig.input.asked, 0);
    ASSERT_TRUE(fs::exists(rig.container()));
    EXPECT_EQ(rig.label(InfoLabel::FrameCount), "12");
    EXPECT_EQ(rig.label(InfoLabel::Width), "550");
    EXPECT_EQ(rig.window.writeSwfDialog().properties().movieFileName, "packed.swf");
    EXPECT_EQ(rig.messages.shown.back().title, "Container movie generated");
}
