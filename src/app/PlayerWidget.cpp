#include "app/PlayerWidget.h"

#include <QImage>
#include <QPainter>

#include "image/DIBSection.h"

namespace kelmora::app {

PlayerWidget::PlayerWidget(QWidget* parent) : QWidget(parent) {
    frameTimer_.setTimerType(Qt::PreciseTimer);
    connect(&frameTimer_, &QTimer::timeout, this, &PlayerWidget::nextFrame);
    engine_.setBGColor("A0A0A0");
}

Status PlayerWidget::setMovie(const std::string& path) {
    frameTimer_.stop();
    Status loaded = engine_.setMovie(path);
    update();
    return loaded;
}

void PlayerWidget::play() {
    if (!engine_.loaded()) return;
    engine_.play();
    double rate = engine_.frameRate();
    if (!(rate > 0.01)) rate = 12;
    frameTimer_.start(int(1000.0 / rate + 0.5));
}

void PlayerWidget::rewind() {
    if (engine_.loaded()) engine_.rewind();
    update();
}

void PlayerWidget::nextFrame() {
    if (!engine_.loaded() || !engine_.isPlaying()) return;
    engine_.advance();
    update();
}

void PlayerWidget::grabFrame(cDIBSection& picture) {
    int width = engine_.loaded() ? engine_.stageWidth() : 0;
    int height = engine_.loaded() ? engine_.stageHeight() : 0;
    if (width < 1 || height < 1) return;
    frame_.resize(width, height);
    engine_.render(frame_);
    picture.CreateFromArgb32(frame_.data(), frame_.width(), frame_.height(), frame_.stride());
}

void PlayerWidget::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    if (!engine_.loaded()) {
        painter.fillRect(rect(), QColor(0xA0, 0xA0, 0xA0));
        return;
    }
    player::PixelBuffer shown(width(), height());
    engine_.render(shown);
    QImage image(reinterpret_cast<const uchar*>(shown.data()), shown.width(), shown.height(),
                 shown.stride() * 4, QImage::Format_ARGB32_Premultiplied);
    painter.drawImage(0, 0, image);
}

}  // namespace kelmora::app
