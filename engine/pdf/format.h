// Object text templates. A single "%" takes the next value in its plain
// form, "%%" is one literal "%", C conversions (%s %d %04d %0.2f ...) apply
// where a template names them, and the text from the first "%" left without
// a value is dropped. A value left over without its "%" is format error 1109.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>

namespace kordoc::pdf {

class Arg {
public:
    enum class Kind : std::uint8_t { Signed, Unsigned, Real, Text };
    Arg(int v) : kind_(Kind::Signed), i_(v) {}
    Arg(long v) : kind_(Kind::Signed), i_(v) {}
    Arg(long long v) : kind_(Kind::Signed), i_(v) {}
    Arg(unsigned v) : kind_(Kind::Unsigned), u_(v) {}
    Arg(unsigned long v) : kind_(Kind::Unsigned), u_(v) {}
    Arg(unsigned long long v) : kind_(Kind::Unsigned), u_(v) {}
    Arg(double v) : kind_(Kind::Real), d_(v) {}
    Arg(std::string_view v) : kind_(Kind::Text), s_(v) {}
    Arg(const std::string &v) : kind_(Kind::Text), s_(v) {}
    Arg(const char *v) : kind_(Kind::Text), s_(v) {}

    Kind kind() const { return kind_; }
    long long asSigned() const;
    double asReal() const;
    std::string_view text() const { return s_; }
    void appendPlain(std::string &out) const;

private:
    Kind kind_;
    union {
        long long i_;
        unsigned long long u_;
        double d_;
    };
    std::string_view s_;
};

// Appends the filled template to out; throws EngineError 1109 when values
// are left over.
void fill(std::string &out, std::string_view tmpl, std::initializer_list<Arg> args);
std::string filled(std::string_view tmpl, std::initializer_list<Arg> args);

// Plain real: fixed notation, at most ten decimals, trailing zeros and point dropped.
void appendPlainReal(std::string &out, double v);
// "%0.2f".
void appendFixed2(std::string &out, double v);
void appendNumber(std::string &out, unsigned long long v);
void appendNumber(std::string &out, long long v);
inline void appendNumber(std::string &out, unsigned v) { appendNumber(out, static_cast<unsigned long long>(v)); }
inline void appendNumber(std::string &out, int v) { appendNumber(out, static_cast<long long>(v)); }

}  // namespace kordoc::pdf
