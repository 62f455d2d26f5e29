#pragma once
// The player control: shows the engine's stage and plays it in real time on a timer at the
// movie's own rate. One frame per timer event: a slow machine makes it late, never skipping.
#include <QTimer>
#include <QWidget>

#include "capture/PlayerControl.h"
#include "player/Player.h"

namespace kelmora::app {

class PlayerWidget : public QWidget, public capture::PlayerControl {
    Q_OBJECT
public:
    explicit PlayerWidget(QWidget* parent = nullptr);

    bool present() const override { return true; }
    Status setMovie(const std::string& path) override;
    const std::string& movie() const override { return engine_.movie(); }
    void play() override;
    void rewind() override;
    int currentFrame() const override { return engine_.loaded() ? engine_.currentFrame() : 0; }
    int frameNum() const override { return currentFrame(); }
    int totalFrames() const override { return engine_.loaded() ? engine_.totalFrames() : 0; }
    void setMenu(bool) override {}
    void setBGColor(const std::string& text) override { engine_.setBGColor(text); }
    void setVisible(bool visible) override { QWidget::setVisible(visible); }
    void grabFrame(cDIBSection& picture) override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void nextFrame();

    player::Player engine_;
    player::PixelBuffer frame_;
    QTimer frameTimer_;
};

}  // namespace kelmora::app
