#pragma once
// The input box of the main window's commands: a prompt, a text field with a default answer, OK and
// Cancel. An interface so that tests answer it without a nested event loop.
#include <QPoint>
#include <optional>
#include <string>

class QWidget;

namespace kelmora::app {

class InputBox {
public:
    virtual ~InputBox() = default;
    // The answer; nothing when cancelled. topLeft: where the box goes on the screen, in pixels.
    virtual std::optional<std::string> ask(const std::string& title, const std::string& prompt,
                                           const std::string& defaultAnswer, QPoint topLeft) = 0;
};

class QtInputBox : public InputBox {
public:
    explicit QtInputBox(QWidget* parent) : parent_(parent) {}
    std::optional<std::string> ask(const std::string& title, const std::string& prompt,
                                   const std::string& defaultAnswer, QPoint topLeft) override;

private:
    QWidget* parent_;
};

}  // namespace kelmora::app
