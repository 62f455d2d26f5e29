#pragma once
#include <vector>

#include "util/MessageSink.h"

namespace kelmora::test {

// Keeps every message and answers with a preset answer.
class RecordingSink : public MessageSink {
public:
    explicit RecordingSink(MessageAnswer answer = MessageAnswer::Ok) : answer_(answer) {}
    MessageAnswer show(const Message& message) override {
        shown.push_back(message);
        return answer_;
    }
    std::vector<Message> shown;

private:
    MessageAnswer answer_;
};

}  // namespace kelmora::test
