#include "app/extras/AboutBox.h"

#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/extras/Addresses.h"
#include "app/extras/Links.h"
#include "util/MessageSink.h"

namespace kelmora::app {

namespace {

std::string versionText() {
    return std::to_string(KELMORA_VERSION_MAJOR) + "." + std::to_string(KELMORA_VERSION_MINOR);
}

QPixmap drawLogo() {
    QPixmap logo(64, 64);
    logo.fill(Qt::transparent);
    QPainter p(&logo);
    p.setRenderHint(QPainter::Antialiasing);
    p.setBrush(QColor(40, 90, 170));
    p.setPen(Qt::NoPen);
    p.drawRoundedRect(4, 4, 56, 56, 10, 10);
    p.setPen(Qt::white);
    QFont f = p.font();
    f.setBold(true);
    f.setPixelSize(40);
    p.setFont(f);
    p.drawText(QRect(4, 4, 56, 56), Qt::AlignCenter, "k");
    return logo;
}

QLabel* linkLabel(const QString& text, const QString& tip) {
    auto* label = new QLabel(text);
    label->setStyleSheet("color: rgb(0, 0, 192); text-decoration: underline;");
    label->setCursor(Qt::PointingHandCursor);
    label->setToolTip(tip);
    return label;
}

}  // namespace

std::string aboutCaption() { return std::string("About ") + kProgramTitle; }
std::string aboutTitle() { return std::string(kProgramTitle) + " " + versionText(); }
std::string aboutBuild() { return " (build " + std::to_string(KELMORA_VERSION_REVISION) + ")"; }
std::string feedbackSubject() {
    return std::string("[") + kProgramTitle + " " + versionText() + " build " + std::to_string(KELMORA_VERSION_REVISION) +
           " application feedback]";
}

frmAbout::frmAbout(UrlOpener& opener, QWidget* parent, int autoCloseMs) : QDialog(parent), opener_(opener) {
    setWindowTitle(QString::fromStdString(aboutCaption()));
    imgLogo_ = new QLabel;
    imgLogo_->setPixmap(drawLogo());
    lblTitle_ = new QLabel(QString::fromStdString(aboutTitle()));
    QFont big = lblTitle_->font();
    big.setBold(true);
    big.setPointSizeF(big.pointSizeF() * 1.6);
    lblTitle_->setFont(big);
    lblBuild_ = new QLabel(QString::fromStdString(aboutBuild()));
    lblRespect_ = new QLabel("kelmora respects your privacy and doesn't contain spyware.");
    lblEmailTxt_ = new QLabel("Contact:");
    lblEMail_ = linkLabel(kFeedbackMail, "Write Email");
    lblHomepageTxt_ = new QLabel("Homepage:");
    lblHomepage_ = linkLabel(kMakerSiteName, "Open Homepage");
    cmdClose_ = new QPushButton("&Close");
    cmdClose_->setDefault(true);

    auto* titleRow = new QHBoxLayout;
    titleRow->addWidget(lblTitle_);
    titleRow->addWidget(lblBuild_, 0, Qt::AlignBottom);
    titleRow->addStretch();
    auto* links = new QGridLayout;
    links->addWidget(lblEmailTxt_, 0, 0);
    links->addWidget(lblEMail_, 0, 1);
    links->addWidget(lblHomepageTxt_, 1, 0);
    links->addWidget(lblHomepage_, 1, 1);
    links->setColumnStretch(2, 1);
    auto* text = new QVBoxLayout;
    text->addLayout(titleRow);
    text->addWidget(lblRespect_);
    text->addSpacing(8);
    text->addLayout(links);
    auto* top = new QHBoxLayout;
    top->addWidget(imgLogo_, 0, Qt::AlignTop);
    top->addSpacing(12);
    top->addLayout(text, 1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(cmdClose_);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    setFixedSize(sizeHint());

    for (QLabel* label : {imgLogo_, lblTitle_, lblBuild_, lblRespect_, lblEmailTxt_, lblEMail_, lblHomepageTxt_,
                          lblHomepage_})
        label->installEventFilter(this);
    connect(cmdClose_, &QPushButton::clicked, this, &QDialog::hide);

    // Runs from the moment the box is made and is never restarted.
    autoCloseTimer_.setSingleShot(true);
    autoCloseTimer_.setInterval(autoCloseMs);
    connect(&autoCloseTimer_, &QTimer::timeout, this, [this] {
        autoCloseTimer_.stop();
        hide();
    });
    autoCloseTimer_.start();
}

bool frmAbout::eventFilter(QObject* watched, QEvent* event) {
    // The press would travel on to the dialog's background, which hides the box.
    if (event->type() == QEvent::MouseButtonPress || event->type() == QEvent::MouseButtonDblClick) return true;
    if (event->type() != QEvent::MouseButtonRelease) return QDialog::eventFilter(watched, event);
    if (watched == lblEMail_ || watched == lblEmailTxt_) {
        writeMail();
    } else if (watched == lblHomepage_ || watched == lblHomepageTxt_) {
        openHomepage();
    } else {
        hide();
    }
    return true;
}

void frmAbout::mousePressEvent(QMouseEvent* event) {
    QDialog::mousePressEvent(event);
    hide();
}

void frmAbout::writeMail() { openMail(kFeedbackMail, feedbackSubject(), "", opener_); }

void frmAbout::openHomepage() {
    std::string address = kHomepageAddress;
    openLink(address, "", opener_);
}

void showAboutBox(QWidget* parent) {
    static QPointer<frmAbout> box;
    if (!box) box = new frmAbout(desktopUrlOpener(), parent);
    box->exec();
}

}  // namespace kelmora::app
