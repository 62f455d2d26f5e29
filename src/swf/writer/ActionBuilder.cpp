#include "swf/writer/ActionBuilder.h"

#include <bit>
#include <stdexcept>

namespace kelmora::swf {

PushValue PushValue::reg(std::uint8_t r) {
    PushValue v(Type::Register);
    v.index = r;
    return v;
}

PushValue PushValue::constant(std::uint16_t i) {
    PushValue v(i < 256 ? Type::Constant8 : Type::Constant16);
    v.index = i;
    return v;
}

PushValue PushValue::constant16(std::uint16_t i) {
    PushValue v(Type::Constant16);
    v.index = i;
    return v;
}

PushValue PushValue::float32(float f) {
    PushValue v(Type::Float);
    v.number = f;
    return v;
}

ActionBuilder& ActionBuilder::op(ActionCode code) { return op(static_cast<std::uint8_t>(code)); }

ActionBuilder& ActionBuilder::op(std::uint8_t code) {
    if (code >= 0x80) throw std::invalid_argument("action codes from 0x80 carry a length; pass a payload");
    code_.push_back(code);
    return *this;
}

ActionBuilder& ActionBuilder::op(std::uint8_t code, std::span<const std::uint8_t> payload) {
    if (code < 0x80) throw std::invalid_argument("action codes below 0x80 carry no payload");
    if (payload.size() > 0xFFFF) throw std::out_of_range("action payload longer than 65535 bytes");
    BitWriter w;
    w.u8(code).u16(static_cast<std::uint32_t>(payload.size())).bytes(payload);
    code_.insert(code_.end(), w.data().begin(), w.data().end());
    return *this;
}

ActionBuilder& ActionBuilder::record(ActionCode code, const Bytes& payload) {
    return op(static_cast<std::uint8_t>(code), payload);
}

ActionBuilder& ActionBuilder::raw(std::span<const std::uint8_t> bytes) {
    code_.insert(code_.end(), bytes.begin(), bytes.end());
    return *this;
}

ActionBuilder& ActionBuilder::push(std::initializer_list<PushValue> values) {
    BitWriter w;
    for (const auto& v : values) {
        w.u8(static_cast<std::uint8_t>(v.type));
        switch (v.type) {
        case PushValue::Type::String: w.string(v.text); break;
        case PushValue::Type::Float: w.float32(static_cast<float>(v.number)); break;
        case PushValue::Type::Null:
        case PushValue::Type::Undefined: break;
        case PushValue::Type::Register:
        case PushValue::Type::Boolean:
        case PushValue::Type::Constant8: w.u8(static_cast<std::uint32_t>(v.index)); break;
        case PushValue::Type::Double: {
            // Stored as two little-endian 32-bit halves, the high half first.
            const auto raw = std::bit_cast<std::uint64_t>(v.number);
            w.u32(static_cast<std::uint32_t>(raw >> 32)).u32(static_cast<std::uint32_t>(raw));
            break;
        }
        case PushValue::Type::Integer: w.s32(static_cast<std::int32_t>(v.index)); break;
        case PushValue::Type::Constant16: w.u16(static_cast<std::uint32_t>(v.index)); break;
        }
    }
    return record(ActionCode::Push, w.data());
}

ActionBuilder& ActionBuilder::constantPool(const std::vector<std::string>& constants) {
    BitWriter w;
    w.u16(static_cast<std::uint32_t>(constants.size()));
    for (const auto& c : constants) w.string(c);
    return record(ActionCode::ConstantPool, w.data());
}

ActionBuilder& ActionBuilder::gotoFrame(std::uint16_t frameIndex) {
    return record(ActionCode::GotoFrame, BitWriter().u16(frameIndex).data());
}

ActionBuilder& ActionBuilder::getUrl(std::string_view url, std::string_view target) {
    return record(ActionCode::GetURL, BitWriter().string(url).string(target).data());
}

ActionBuilder& ActionBuilder::getUrl2(SendVarsMethod method, bool loadTarget, bool loadVariables) {
    BitWriter w;
    // Players read the byte as load-variables (0x80), load-target (0x40), then the method in the low bits.
    w.flag(loadVariables).flag(loadTarget).ub(0, 4).ub(static_cast<std::uint32_t>(method), 2);
    return record(ActionCode::GetURL2, w.data());
}

ActionBuilder& ActionBuilder::gotoFrame2(bool play, std::optional<std::uint16_t> sceneBias) {
    BitWriter w;
    w.ub(0, 6).flag(sceneBias.has_value()).flag(play);
    if (sceneBias) w.u16(*sceneBias);
    return record(ActionCode::GotoFrame2, w.data());
}

ActionBuilder& ActionBuilder::waitForFrame(std::uint16_t frame, std::uint8_t skipCount) {
    return record(ActionCode::WaitForFrame, BitWriter().u16(frame).u8(skipCount).data());
}

ActionBuilder& ActionBuilder::waitForFrame2(std::uint8_t skipCount) {
    return record(ActionCode::WaitForFrame2, BitWriter().u8(skipCount).data());
}

ActionBuilder& ActionBuilder::setTarget(std::string_view target) {
    return record(ActionCode::SetTarget, BitWriter().string(target).data());
}

ActionBuilder& ActionBuilder::gotoLabel(std::string_view label) {
    return record(ActionCode::GoToLabel, BitWriter().string(label).data());
}

ActionBuilder& ActionBuilder::storeRegister(std::uint8_t r) {
    return record(ActionCode::StoreRegister, BitWriter().u8(r).data());
}

ActionBuilder& ActionBuilder::label(const std::string& name) {
    for (const auto& l : labels_)
        if (l.name == name) throw std::logic_error("action label defined twice: " + name);
    labels_.push_back({name, code_.size()});
    return *this;
}

ActionBuilder& ActionBuilder::branch(ActionCode code, const std::string& target) {
    code_.push_back(static_cast<std::uint8_t>(code));
    code_.push_back(2);
    code_.push_back(0);
    branches_.push_back({code_.size(), target});
    code_.push_back(0);
    code_.push_back(0);
    return *this;
}

ActionBuilder& ActionBuilder::jump(const std::string& target) { return branch(ActionCode::Jump, target); }

ActionBuilder& ActionBuilder::ifTrue(const std::string& target) { return branch(ActionCode::If, target); }

ActionBuilder& ActionBuilder::jumpBy(std::int16_t offset) {
    return record(ActionCode::Jump, BitWriter().s16(offset).data());
}

ActionBuilder& ActionBuilder::ifTrueBy(std::int16_t offset) {
    return record(ActionCode::If, BitWriter().s16(offset).data());
}

namespace {

std::uint16_t bodySize(const Bytes& body) {
    if (body.size() > 0xFFFF) throw std::out_of_range("action block longer than 65535 bytes");
    return static_cast<std::uint16_t>(body.size());
}

}  // namespace

ActionBuilder& ActionBuilder::defineFunction(std::string_view name, const std::vector<std::string>& params,
                                             const ActionBuilder& body) {
    const Bytes code = body.bytes();
    BitWriter w;
    w.string(name).u16(static_cast<std::uint32_t>(params.size()));
    for (const auto& p : params) w.string(p);
    w.u16(bodySize(code));
    record(ActionCode::DefineFunction, w.data());
    return raw(code);
}

ActionBuilder& ActionBuilder::defineFunction2(std::string_view name, std::uint8_t registerCount, std::uint16_t flags,
                                              const std::vector<RegisterParam>& params, const ActionBuilder& body) {
    const Bytes code = body.bytes();
    BitWriter w;
    w.string(name).u16(static_cast<std::uint32_t>(params.size())).u8(registerCount);
    w.ub(flags, 16);
    for (const auto& p : params) w.u8(p.reg).string(p.name);
    w.u16(bodySize(code));
    record(ActionCode::DefineFunction2, w.data());
    return raw(code);
}

ActionBuilder& ActionBuilder::with(const ActionBuilder& body) {
    const Bytes code = body.bytes();
    record(ActionCode::With, BitWriter().u16(bodySize(code)).data());
    return raw(code);
}

ActionBuilder& ActionBuilder::tryBlock(const TryBlock& block) {
    const Bytes tryCode = block.tryBody ? block.tryBody->bytes() : Bytes{};
    const Bytes catchCode = block.catchBody ? block.catchBody->bytes() : Bytes{};
    const Bytes finallyCode = block.finallyBody ? block.finallyBody->bytes() : Bytes{};
    const auto* catchRegister = std::get_if<std::uint8_t>(&block.catchTarget);
    BitWriter w;
    w.ub(0, 5).flag(catchRegister != nullptr).flag(block.finallyBody != nullptr).flag(block.catchBody != nullptr);
    w.u16(bodySize(tryCode)).u16(bodySize(catchCode)).u16(bodySize(finallyCode));
    if (catchRegister)
        w.u8(*catchRegister);
    else
        w.string(std::get<std::string>(block.catchTarget));
    record(ActionCode::Try, w.data());
    raw(tryCode);
    raw(catchCode);
    return raw(finallyCode);
}

Bytes ActionBuilder::bytes() const {
    Bytes out = code_;
    for (const auto& b : branches_) {
        const Label* found = nullptr;
        for (const auto& l : labels_)
            if (l.name == b.target) found = &l;
        if (!found) throw std::logic_error("branch to an undefined action label: " + b.target);
        const auto offset = static_cast<std::int64_t>(found->pos) - static_cast<std::int64_t>(b.offsetPos + 2);
        if (offset < -32768 || offset > 32767) throw std::logic_error("branch offset beyond 16 bits: " + b.target);
        const auto raw = static_cast<std::uint16_t>(static_cast<std::int16_t>(offset));
        out[b.offsetPos] = static_cast<std::uint8_t>(raw);
        out[b.offsetPos + 1] = static_cast<std::uint8_t>(raw >> 8);
    }
    return out;
}

}  // namespace kelmora::swf
