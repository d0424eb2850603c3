#include "format.h"

#include "../sim/errors.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace kordoc::pdf {

long long Arg::asSigned() const
{
    switch (kind_) {
    case Kind::Signed: return i_;
    case Kind::Unsigned: return static_cast<long long>(u_);
    case Kind::Real: return std::isfinite(d_) ? static_cast<long long>(d_) : 0;
    case Kind::Text: break;
    }
    return 0;
}

double Arg::asReal() const
{
    switch (kind_) {
    case Kind::Signed: return static_cast<double>(i_);
    case Kind::Unsigned: return static_cast<double>(u_);
    case Kind::Real: return d_;
    case Kind::Text: break;
    }
    return 0;
}

void Arg::appendPlain(std::string &out) const
{
    switch (kind_) {
    case Kind::Signed: appendNumber(out, i_); break;
    case Kind::Unsigned: appendNumber(out, u_); break;
    case Kind::Real: appendPlainReal(out, d_); break;
    case Kind::Text: out.append(s_); break;
    }
}

void appendNumber(std::string &out, unsigned long long v)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

void appendNumber(std::string &out, long long v)
{
    char buf[24];
    auto r = std::to_chars(buf, buf + sizeof buf, v);
    out.append(buf, r.ptr);
}

namespace {

// Digits of a non-negative integer below 10^18 into out, at least `width` of them.
void appendDigits(std::string &out, unsigned long long v, int width)
{
    char buf[24];
    char *end = buf + sizeof buf, *p = end;
    do {
        *--p = static_cast<char>('0' + v % 10);
        v /= 10;
    } while (v > 0 || end - p < width);
    out.append(p, end);
}

}  // namespace

// Integral values (most lengths in points are) print directly; the rest go
// through the exact conversion.
void appendPlainReal(std::string &out, double v)
{
    if (!std::isfinite(v)) {  // a length beyond a double's range once multiplied
        out += '0';
        return;
    }
    if (v == std::trunc(v) && std::fabs(v) < 1e15) {
        if (std::signbit(v))
            out += '-';
        appendDigits(out, static_cast<unsigned long long>(std::fabs(v)), 1);
        return;
    }
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 10);
    if (r.ec != std::errc()) {
        out += '0';
        return;
    }
    char *end = r.ptr;
    while (end > buf && end[-1] == '0')
        --end;
    if (end > buf && end[-1] == '.')
        --end;
    out.append(buf, end);
}

// Rounds v * 100 to the nearest integer. The product of a value below 10^7
// is off by less than 10^-8, so unless it lies within 10^-6 of a half the
// rounding is the one the exact decimal value would get; near a half (and for
// large values) the exact conversion decides.
void appendFixed2(std::string &out, double v)
{
    if (!std::isfinite(v)) {
        out += "0.00";
        return;
    }
    const double scaled = std::fabs(v) * 100.0;
    if (scaled < 1e9) {
        const double whole = std::floor(scaled);
        const double fraction = scaled - whole;
        if (std::fabs(fraction - 0.5) > 1e-6) {
            const auto cents = static_cast<unsigned long long>(fraction > 0.5 ? whole + 1 : whole);
            if (std::signbit(v))
                out += '-';
            appendDigits(out, cents / 100, 1);
            out += '.';
            appendDigits(out, cents % 100, 2);
            return;
        }
    }
    char buf[400];
    auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, 2);
    if (r.ec != std::errc()) {
        out += "0.00";
        return;
    }
    out.append(buf, r.ptr);
}

namespace {

// A C conversion: "%" [0][width][.precision] (d|s|f).
bool conversion(std::string_view t, std::size_t at, std::size_t &end, bool &zero, int &width, int &precision,
                char &type)
{
    std::size_t q = at + 1;
    zero = q < t.size() && t[q] == '0';
    width = 0;
    precision = -1;
    while (q < t.size() && t[q] >= '0' && t[q] <= '9')
        width = width * 10 + (t[q++] - '0');
    if (q < t.size() && t[q] == '.') {
        ++q;
        precision = 0;
        std::size_t digits = q;
        while (q < t.size() && t[q] >= '0' && t[q] <= '9')
            precision = precision * 10 + (t[q++] - '0');
        if (q == digits)
            return false;
    }
    if (q >= t.size() || (t[q] != 'd' && t[q] != 's' && t[q] != 'f'))
        return false;
    if (width > 64 || precision > 20)
        return false;
    type = t[q];
    end = q + 1;
    return true;
}

void appendConverted(std::string &out, const Arg &a, bool zero, int width, int precision, char type)
{
    std::string body;
    if (type == 's') {
        a.appendPlain(body);
    } else if (type == 'd') {
        appendNumber(body, a.asSigned());
    } else {
        char buf[400];
        auto r = std::to_chars(buf, buf + sizeof buf, a.asReal(), std::chars_format::fixed,
                               precision < 0 ? 6 : precision);
        body.assign(buf, r.ec == std::errc() ? r.ptr : buf);
    }
    if (static_cast<int>(body.size()) < width) {
        std::size_t pad = static_cast<std::size_t>(width) - body.size();
        if (zero && type != 's') {
            std::size_t sign = !body.empty() && body[0] == '-' ? 1 : 0;
            body.insert(sign, pad, '0');
        } else {
            body.insert(0, pad, ' ');
        }
    }
    out += body;
}

}  // namespace

void fill(std::string &out, std::string_view t, std::initializer_list<Arg> args)
{
    const Arg *next = args.begin();
    std::size_t from = 0;
    for (;;) {
        std::size_t at = t.find('%', from);
        if (at == std::string_view::npos) {
            out.append(t.substr(from));
            break;
        }
        out.append(t.substr(from, at - from));
        if (at + 1 < t.size() && t[at + 1] == '%') {
            out += '%';
            from = at + 2;
            continue;
        }
        if (next == args.end())
            return;  // the rest of the template is dropped
        std::size_t end;
        bool zero;
        int width, precision;
        char type;
        if (conversion(t, at, end, zero, width, precision, type)) {
            if (type == 'f' && precision == 2 && width == 0)
                appendFixed2(out, next->asReal());
            else
                appendConverted(out, *next, zero, width, precision, type);
            from = end;
        } else {
            next->appendPlain(out);
            from = at + 1;
        }
        ++next;
    }
    if (next != args.end())
        throw EngineError(errc::FormatError, "a template has no place for all its values: \"" + std::string(t) + "\"");
}

std::string filled(std::string_view tmpl, std::initializer_list<Arg> args)
{
    std::string s;
    fill(s, tmpl, args);
    return s;
}

}  // namespace kordoc::pdf
