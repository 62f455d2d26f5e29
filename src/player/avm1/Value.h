#pragma once
// A script value: undefined, null, boolean, number, string or object. Conversions that need to
// call into objects (valueOf/toString) live in the interpreter; the ones here are pure.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

namespace kelmora::player::avm1 {

class Object;

enum class ValueType : uint8_t { Undefined, Null, Boolean, Number, String, Object };

class Value {
public:
    Value() = default;
    static Value null() { Value v; v.type_ = ValueType::Null; return v; }
    Value(bool b) : type_(ValueType::Boolean), n_(b ? 1 : 0) {}
    Value(double n) : type_(ValueType::Number), n_(n) {}
    Value(int n) : type_(ValueType::Number), n_(n) {}
    // Texts are shared between copies of a value: copying a long text costs nothing.
    Value(std::string s) : type_(ValueType::String), s_(std::make_shared<const std::string>(std::move(s))) {}
    Value(std::string_view s) : type_(ValueType::String), s_(std::make_shared<const std::string>(s)) {}
    Value(const char* s) : type_(ValueType::String), s_(std::make_shared<const std::string>(s)) {}
    Value(Object* o) : type_(o ? ValueType::Object : ValueType::Null), o_(o) {}

    ValueType type() const { return type_; }
    bool isUndefined() const { return type_ == ValueType::Undefined; }
    bool isNull() const { return type_ == ValueType::Null; }
    bool isNullish() const { return type_ == ValueType::Undefined || type_ == ValueType::Null; }
    bool isBoolean() const { return type_ == ValueType::Boolean; }
    bool isNumber() const { return type_ == ValueType::Number; }
    bool isString() const { return type_ == ValueType::String; }
    bool isObject() const { return type_ == ValueType::Object; }

    bool boolean() const { return n_ != 0; }
    double number() const { return n_; }
    const std::string& string() const { return s_ ? *s_ : emptyString(); }
    Object* object() const { return type_ == ValueType::Object ? o_ : nullptr; }

private:
    ValueType type_ = ValueType::Undefined;
    double n_ = 0;
    Object* o_ = nullptr;
    std::shared_ptr<const std::string> s_;
    static const std::string& emptyString();
};

// Number to text as the player prints it: 15 significant digits, exponent form below 1e-5 and
// from 1e15 on ("1e+21", "1.5e-7"), "NaN", "Infinity", "-Infinity", and -0 as "0".
std::string numberToString(double n);
// Number in another radix (Number.prototype.toString(radix)): integer part only, as the player.
std::string numberToString(double n, int radix);

// Text to number for the given SWF version: blanks before the number are skipped, "0x" hex,
// a trailing non-numeric rest gives NaN; the empty text is NaN from SWF 5 on.
double stringToNumber(std::string_view s, int swfVersion);

// ToInt32 of ECMA-262 (wraps modulo 2^32; NaN and infinities give 0).
int32_t toInt32(double n);
uint32_t toUint32(double n);

const char* typeName(ValueType t);  // "undefined", "null", "boolean", "number", "string", "object"

}  // namespace kelmora::player::avm1
