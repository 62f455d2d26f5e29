#pragma once
// The Movie Properties dialog over MovieProperties: the widgets show the values and take the
// user's typing; the checks live in acceptMovieProperties.
#include <QDialog>
#include <QWidget>

#include "app/extras/MovieProperties.h"

class QLineEdit;
class QPushButton;

namespace kelmora::app {

// The background colour swatch: hatched while no colour has been chosen.
class ColourSwatch : public QWidget {
public:
    explicit ColourSwatch(QWidget* parent = nullptr);
    void setLook(QColor colour, bool hatched);

protected:
    void paintEvent(QPaintEvent*) override;

private:
    QColor colour_;
    bool hatched_ = true;
};

class frmWriteSWF : public QDialog {
    Q_OBJECT
public:
    frmWriteSWF(MovieInfoLabels& labels, MessageSink& messages, QWidget* parent = nullptr);

    // The values the header reader and the container command read and write.
    MovieProperties& properties() { return props_; }
    // Puts the values into the widgets (done on every showing; call it after changing properties()
    // while the dialog is open).
    void showProperties();

    void pickColour();  // "&Pick.."
    void ok();          // "&Ok"

    QLineEdit* txtWidth() const { return txtWidth_; }
    QLineEdit* txtHeight() const { return txtHeight_; }
    QLineEdit* txtFrameRate() const { return txtFrameRate_; }
    QLineEdit* txtFrameCount() const { return txtFrameCount_; }

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    void takeTyping();
    QLineEdit* fieldEdit(PropertyField f) const;

    MovieInfoLabels& labels_;
    MessageSink& messages_;
    MovieProperties props_;
    QLineEdit* txtSignature_ = nullptr;
    QLineEdit* txtVersion_ = nullptr;
    QLineEdit* txtWidth_ = nullptr;
    QLineEdit* txtHeight_ = nullptr;
    QLineEdit* txtFrameRate_ = nullptr;
    QLineEdit* txtFrameCount_ = nullptr;
    QLineEdit* txtMovieFileName_ = nullptr;
    ColourSwatch* ShapeBGR_ = nullptr;
    QWidget* frSWF_ = nullptr;
};

}  // namespace kelmora::app
