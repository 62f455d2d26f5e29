#pragma once
// Messages as Qt message boxes.
#include "util/MessageSink.h"

class QWidget;

namespace kelmora::app {

class MessageBoxSink : public MessageSink {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    MessageAnswer show(const Message& message) override;

private:
    QWidget* parent_ = nullptr;
};

}  // namespace kelmora::app
