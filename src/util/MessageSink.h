#pragma once
// Everything the program tells the user goes through a MessageSink, so the rules behind each
// message can be tested without a window; the Qt program implements it with message boxes.
#include <string>

namespace kelmora {

enum class MessageIcon { None, Information, Warning, Question, Stop };
enum class MessageButtons { Ok, OkCancel, YesNo };
enum class MessageAnswer { Ok, Cancel, Yes, No };

struct Message {
    std::string title;  // empty means the program's title
    std::string text;   // line breaks are "\r\n"
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
};

class MessageSink {
public:
    virtual ~MessageSink() = default;
    virtual MessageAnswer show(const Message& message) = 0;
};

// Answers every message with the first button; used by command-line tools and tests that ignore messages.
class SilentMessageSink : public MessageSink {
public:
    MessageAnswer show(const Message& message) override {
        switch (message.buttons) {
        case MessageButtons::Ok: return MessageAnswer::Ok;
        case MessageButtons::OkCancel: return MessageAnswer::Ok;
        case MessageButtons::YesNo: return MessageAnswer::Yes;
        }
        return MessageAnswer::Ok;
    }
};

inline constexpr const char* kProgramTitle = "kelmora";
inline constexpr const char* kCrLf = "\r\n";

}  // namespace kelmora
