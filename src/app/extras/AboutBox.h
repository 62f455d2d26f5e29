#pragma once
// The About box: name, version and build, the feedback mail and homepage links. It closes itself
// 5 seconds after it was first loaded; later showings of the same box wait for the user.
#include <QDialog>
#include <QTimer>
#include <string>

class QLabel;
class QPushButton;

namespace kelmora::app {

class UrlOpener;

std::string aboutCaption();      // "About kelmora"
std::string aboutTitle();        // "kelmora 0.3"
std::string aboutBuild();        // " (build 26)"
std::string feedbackSubject();   // "[kelmora 0.3 build 26 application feedback]"

class frmAbout : public QDialog {
    Q_OBJECT
public:
    explicit frmAbout(UrlOpener& opener, QWidget* parent = nullptr, int autoCloseMs = 5000);

    QTimer& AutoCloseTimer() { return autoCloseTimer_; }
    QLabel* lblEMail() const { return lblEMail_; }
    QLabel* lblHomepage() const { return lblHomepage_; }
    QLabel* lblTitle() const { return lblTitle_; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void writeMail();
    void openHomepage();

    UrlOpener& opener_;
    QTimer autoCloseTimer_;
    QLabel* imgLogo_ = nullptr;
    QLabel* lblTitle_ = nullptr;
    QLabel* lblBuild_ = nullptr;
    QLabel* lblRespect_ = nullptr;
    QLabel* lblEmailTxt_ = nullptr;
    QLabel* lblEMail_ = nullptr;
    QLabel* lblHomepageTxt_ = nullptr;
    QLabel* lblHomepage_ = nullptr;
    QPushButton* cmdClose_ = nullptr;
};

// Shows the program's one About box modally (made on first use, afterwards only hidden and shown).
void showAboutBox(QWidget* parent);

}  // namespace kelmora::app
