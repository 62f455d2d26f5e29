#pragma once
// Assembles ActionScript 1/2 byte code (SWF 3-7 action set) for DoAction, DoInitAction, button and
// clip actions. Branches name labels; bytes() resolves their offsets.
#include <cstdint>
#include <initializer_list>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "swf/writer/BitWriter.h"

namespace kelmora::swf {

// One value of an ActionPush record.
struct PushValue {
    enum class Type : std::uint8_t {
        String = 0, Float = 1, Null = 2, Undefined = 3, Register = 4, Boolean = 5, Double = 6, Integer = 7,
        Constant8 = 8, Constant16 = 9
    };
    Type type = Type::Undefined;
    std::string text;
    double number = 0;       // Float, Double
    std::int64_t index = 0;  // Integer, Register, Boolean, Constant8/16

    PushValue(const char* s) : type(Type::String), text(s) {}
    PushValue(std::string s) : type(Type::String), text(std::move(s)) {}
    PushValue(std::string_view s) : type(Type::String), text(s) {}
    PushValue(int i) : type(Type::Integer), index(i) {}
    PushValue(double d) : type(Type::Double), number(d) {}
    PushValue(bool b) : type(Type::Boolean), index(b ? 1 : 0) {}

    static PushValue null() { return PushValue(Type::Null); }
    static PushValue undefined() { return PushValue(Type::Undefined); }
    static PushValue reg(std::uint8_t r);
    static PushValue constant(std::uint16_t i);  // Constant8 below 256, else Constant16
    static PushValue constant16(std::uint16_t i);
    static PushValue float32(float f);
    static PushValue integer(std::int32_t i) { return PushValue(static_cast<int>(i)); }

private:
    explicit PushValue(Type t) : type(t) {}
};

enum class ActionCode : std::uint8_t {
    End = 0x00, NextFrame = 0x04, PreviousFrame = 0x05, Play = 0x06, Stop = 0x07, ToggleQuality = 0x08,
    StopSounds = 0x09, Add = 0x0A, Subtract = 0x0B, Multiply = 0x0C, Divide = 0x0D, Equals = 0x0E, Less = 0x0F,
    And = 0x10, Or = 0x11, Not = 0x12, StringEquals = 0x13, StringLength = 0x14, StringExtract = 0x15, Pop = 0x17,
    ToInteger = 0x18, GetVariable = 0x1C, SetVariable = 0x1D, SetTarget2 = 0x20, StringAdd = 0x21,
    GetProperty = 0x22, SetProperty = 0x23, CloneSprite = 0x24, RemoveSprite = 0x25, Trace = 0x26,
    StartDrag = 0x27, EndDrag = 0x28, StringLess = 0x29, Throw = 0x2A, CastOp = 0x2B, ImplementsOp = 0x2C,
    RandomNumber = 0x30, MBStringLength = 0x31, CharToAscii = 0x32, AsciiToChar = 0x33, GetTime = 0x34,
    MBStringExtract = 0x35, MBCharToAscii = 0x36, MBAsciiToChar = 0x37, Delete = 0x3A, Delete2 = 0x3B,
    DefineLocal = 0x3C, CallFunction = 0x3D, Return = 0x3E, Modulo = 0x3F, NewObject = 0x40, DefineLocal2 = 0x41,
    InitArray = 0x42, InitObject = 0x43, TypeOf = 0x44, TargetPath = 0x45, Enumerate = 0x46, Add2 = 0x47,
    Less2 = 0x48, Equals2 = 0x49, ToNumber = 0x4A, ToString = 0x4B, PushDuplicate = 0x4C, StackSwap = 0x4D,
    GetMember = 0x4E, SetMember = 0x4F, Increment = 0x50, Decrement = 0x51, CallMethod = 0x52, NewMethod = 0x53,
    InstanceOf = 0x54, Enumerate2 = 0x55, BitAnd = 0x60, BitOr = 0x61, BitXor = 0x62, BitLShift = 0x63,
    BitRShift = 0x64, BitURShift = 0x65, StrictEquals = 0x66, Greater = 0x67, StringGreater = 0x68, Extends = 0x69,
    GotoFrame = 0x81, GetURL = 0x83, StoreRegister = 0x87, ConstantPool = 0x88, WaitForFrame = 0x8A,
    SetTarget = 0x8B, GoToLabel = 0x8C, WaitForFrame2 = 0x8D, DefineFunction2 = 0x8E, Try = 0x8F, With = 0x94,
    Push = 0x96, Jump = 0x99, GetURL2 = 0x9A, DefineFunction = 0x9B, If = 0x9D, Call = 0x9E, GotoFrame2 = 0x9F,
};

// DefineFunction2 flags (the 16-bit field, first byte's top bit = PreloadParent).
enum Function2Flag : std::uint16_t {
    PreloadParent = 0x8000, PreloadRoot = 0x4000, SuppressSuper = 0x2000, PreloadSuper = 0x1000,
    SuppressArguments = 0x0800, PreloadArguments = 0x0400, SuppressThis = 0x0200, PreloadThis = 0x0100,
    PreloadGlobal = 0x0001,
};

struct RegisterParam {
    std::uint8_t reg = 0;  // 0: the parameter lives in a variable, not a register
    std::string name;
};

// GetURL2 send-variables methods.
enum class SendVarsMethod : std::uint8_t { None = 0, Get = 1, Post = 2 };

class ActionBuilder {
public:
    // Any action by value: no payload for codes below 0x80, else a length and the payload.
    ActionBuilder& op(ActionCode code);
    ActionBuilder& op(std::uint8_t code);
    ActionBuilder& op(std::uint8_t code, std::span<const std::uint8_t> payload);
    // Raw bytes, copied as they are (for deliberately broken code).
    ActionBuilder& raw(std::span<const std::uint8_t> bytes);

    // ActionPush: one record holding all values given together.
    ActionBuilder& push(std::initializer_list<PushValue> values);
    ActionBuilder& push(const PushValue& value) { return push({value}); }
    ActionBuilder& pushNull() { return push({PushValue::null()}); }
    ActionBuilder& pushUndefined() { return push({PushValue::undefined()}); }
    ActionBuilder& pushRegister(std::uint8_t r) { return push({PushValue::reg(r)}); }
    ActionBuilder& pushConstant(std::uint16_t i) { return push({PushValue::constant(i)}); }

    ActionBuilder& constantPool(const std::vector<std::string>& constants);
    ActionBuilder& gotoFrame(std::uint16_t frameIndex);  // 0-based
    ActionBuilder& getUrl(std::string_view url, std::string_view target);
    ActionBuilder& getUrl2(SendVarsMethod method, bool loadTarget, bool loadVariables);
    ActionBuilder& gotoFrame2(bool play, std::optional<std::uint16_t> sceneBias = std::nullopt);
    ActionBuilder& waitForFrame(std::uint16_t frame, std::uint8_t skipCount);
    ActionBuilder& waitForFrame2(std::uint8_t skipCount);
    ActionBuilder& setTarget(std::string_view target);
    ActionBuilder& gotoLabel(std::string_view label);
    ActionBuilder& storeRegister(std::uint8_t r);

    // Branches. A label may be placed before or after the branches that name it.
    ActionBuilder& label(const std::string& name);
    ActionBuilder& jump(const std::string& target);
    ActionBuilder& ifTrue(const std::string& target);
    // Branches with a literal offset, for code that jumps somewhere odd on purpose.
    ActionBuilder& jumpBy(std::int16_t offset);
    ActionBuilder& ifTrueBy(std::int16_t offset);

    // Bodies are built separately; their labels are their own.
    ActionBuilder& defineFunction(std::string_view name, const std::vector<std::string>& params,
                                  const ActionBuilder& body);
    ActionBuilder& defineFunction2(std::string_view name, std::uint8_t registerCount, std::uint16_t flags,
                                   const std::vector<RegisterParam>& params, const ActionBuilder& body);
    ActionBuilder& with(const ActionBuilder& body);
    // catchTarget: a variable name (std::string) or a register (std::uint8_t); an empty
    // catchBody with no catch target writes no catch block.
    struct TryBlock {
        ActionBuilder const* tryBody = nullptr;
        ActionBuilder const* catchBody = nullptr;    // null: no catch block
        ActionBuilder const* finallyBody = nullptr;  // null: no finally block
        std::variant<std::string, std::uint8_t> catchTarget = std::string{};
    };
    ActionBuilder& tryBlock(const TryBlock& block);

    // No-payload actions by name.
    ActionBuilder& nextFrame() { return op(ActionCode::NextFrame); }
    ActionBuilder& prevFrame() { return op(ActionCode::PreviousFrame); }
    ActionBuilder& play() { return op(ActionCode::Play); }
    ActionBuilder& stop() { return op(ActionCode::Stop); }
    ActionBuilder& toggleQuality() { return op(ActionCode::ToggleQuality); }
    ActionBuilder& stopSounds() { return op(ActionCode::StopSounds); }
    ActionBuilder& add() { return op(ActionCode::Add); }
    ActionBuilder& subtract() { return op(ActionCode::Subtract); }
    ActionBuilder& multiply() { return op(ActionCode::Multiply); }
    ActionBuilder& divide() { return op(ActionCode::Divide); }
    ActionBuilder& equals() { return op(ActionCode::Equals); }
    ActionBuilder& less() { return op(ActionCode::Less); }
    ActionBuilder& logicalAnd() { return op(ActionCode::And); }
    ActionBuilder& logicalOr() { return op(ActionCode::Or); }
    ActionBuilder& logicalNot() { return op(ActionCode::Not); }
    ActionBuilder& stringEquals() { return op(ActionCode::StringEquals); }
    ActionBuilder& stringLength() { return op(ActionCode::StringLength); }
    ActionBuilder& stringExtract() { return op(ActionCode::StringExtract); }
    ActionBuilder& pop() { return op(ActionCode::Pop); }
    ActionBuilder& toInteger() { return op(ActionCode::ToInteger); }
    ActionBuilder& getVariable() { return op(ActionCode::GetVariable); }
    ActionBuilder& setVariable() { return op(ActionCode::SetVariable); }
    ActionBuilder& setTarget2() { return op(ActionCode::SetTarget2); }
    ActionBuilder& stringAdd() { return op(ActionCode::StringAdd); }
    ActionBuilder& getProperty() { return op(ActionCode::GetProperty); }
    ActionBuilder& setProperty() { return op(ActionCode::SetProperty); }
    ActionBuilder& cloneSprite() { return op(ActionCode::CloneSprite); }
    ActionBuilder& removeSprite() { return op(ActionCode::RemoveSprite); }
    ActionBuilder& trace() { return op(ActionCode::Trace); }
    ActionBuilder& startDrag() { return op(ActionCode::StartDrag); }
    ActionBuilder& endDrag() { return op(ActionCode::EndDrag); }
    ActionBuilder& stringLess() { return op(ActionCode::StringLess); }
    ActionBuilder& throwValue() { return op(ActionCode::Throw); }
    ActionBuilder& castOp() { return op(ActionCode::CastOp); }
    ActionBuilder& implementsOp() { return op(ActionCode::ImplementsOp); }
    ActionBuilder& randomNumber() { return op(ActionCode::RandomNumber); }
    ActionBuilder& mbStringLength() { return op(ActionCode::MBStringLength); }
    ActionBuilder& charToAscii() { return op(ActionCode::CharToAscii); }
    ActionBuilder& asciiToChar() { return op(ActionCode::AsciiToChar); }
    ActionBuilder& getTime() { return op(ActionCode::GetTime); }
    ActionBuilder& mbStringExtract() { return op(ActionCode::MBStringExtract); }
    ActionBuilder& mbCharToAscii() { return op(ActionCode::MBCharToAscii); }
    ActionBuilder& mbAsciiToChar() { return op(ActionCode::MBAsciiToChar); }
    ActionBuilder& deleteMember() { return op(ActionCode::Delete); }
    ActionBuilder& deleteVariable() { return op(ActionCode::Delete2); }
    ActionBuilder& defineLocal() { return op(ActionCode::DefineLocal); }
    ActionBuilder& callFunction() { return op(ActionCode::CallFunction); }
    ActionBuilder& returnValue() { return op(ActionCode::Return); }
    ActionBuilder& modulo() { return op(ActionCode::Modulo); }
    ActionBuilder& newObject() { return op(ActionCode::NewObject); }
    ActionBuilder& defineLocal2() { return op(ActionCode::DefineLocal2); }
    ActionBuilder& initArray() { return op(ActionCode::InitArray); }
    ActionBuilder& initObject() { return op(ActionCode::InitObject); }
    ActionBuilder& typeOf() { return op(ActionCode::TypeOf); }
    ActionBuilder& targetPath() { return op(ActionCode::TargetPath); }
    ActionBuilder& enumerate() { return op(ActionCode::Enumerate); }
    ActionBuilder& add2() { return op(ActionCode::Add2); }
    ActionBuilder& less2() { return op(ActionCode::Less2); }
    ActionBuilder& equals2() { return op(ActionCode::Equals2); }
    ActionBuilder& toNumber() { return op(ActionCode::ToNumber); }
    ActionBuilder& toStringValue() { return op(ActionCode::ToString); }
    ActionBuilder& pushDuplicate() { return op(ActionCode::PushDuplicate); }
    ActionBuilder& stackSwap() { return op(ActionCode::StackSwap); }
    ActionBuilder& getMember() { return op(ActionCode::GetMember); }
    ActionBuilder& setMember() { return op(ActionCode::SetMember); }
    ActionBuilder& increment() { return op(ActionCode::Increment); }
    ActionBuilder& decrement() { return op(ActionCode::Decrement); }
    ActionBuilder& callMethod() { return op(ActionCode::CallMethod); }
    ActionBuilder& newMethod() { return op(ActionCode::NewMethod); }
    ActionBuilder& instanceOf() { return op(ActionCode::InstanceOf); }
    ActionBuilder& enumerate2() { return op(ActionCode::Enumerate2); }
    ActionBuilder& bitAnd() { return op(ActionCode::BitAnd); }
    ActionBuilder& bitOr() { return op(ActionCode::BitOr); }
    ActionBuilder& bitXor() { return op(ActionCode::BitXor); }
    ActionBuilder& bitLShift() { return op(ActionCode::BitLShift); }
    ActionBuilder& bitRShift() { return op(ActionCode::BitRShift); }
    ActionBuilder& bitURShift() { return op(ActionCode::BitURShift); }
    ActionBuilder& strictEquals() { return op(ActionCode::StrictEquals); }
    ActionBuilder& greater() { return op(ActionCode::Greater); }
    ActionBuilder& stringGreater() { return op(ActionCode::StringGreater); }
    ActionBuilder& extends() { return op(ActionCode::Extends); }
    ActionBuilder& call() { return op(static_cast<std::uint8_t>(ActionCode::Call), {}); }
    // The ActionEndFlag (0x00) that closes a DoAction/DoInitAction/button/clip action list.
    ActionBuilder& end() { return op(ActionCode::End); }

    // Code bytes with every branch resolved. Throws std::logic_error for a missing label or an
    // offset beyond 16 bits.
    Bytes bytes() const;
    std::size_t size() const { return code_.size(); }

private:
    struct Branch {
        std::size_t offsetPos;  // where the SI16 goes; the branch ends right after it
        std::string target;
    };
    struct Label {
        std::string name;
        std::size_t pos;
    };
    ActionBuilder& branch(ActionCode code, const std::string& target);
    ActionBuilder& record(ActionCode code, const Bytes& payload);

    Bytes code_;
    std::vector<Branch> branches_;
    std::vector<Label> labels_;
};

}  // namespace kelmora::swf
