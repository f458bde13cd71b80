#include "connections/core/IsoText.h"

#include <algorithm>
#include <charconv>
#include <cstdlib>

namespace IsoText {

namespace {

// A number as printf's %0*d writes it: zero-padded after any sign to the
// width. Written by hand: these texts are made for every date and time of
// every row a copy sends, where printf's parsing of the format would cost
// more than the digits.
char* Padded(char* out, long long value, int width) {
    if (value < 0) {
        *out++ = '-';
        --width;
    }
    char digits[24];
    const int size = int(std::to_chars(digits, digits + sizeof digits, std::llabs(value)).ptr - digits);
    for (int i = size; i < width; ++i) *out++ = '0';
    return std::copy(digits, digits + size, out);
}

QString Latin1(const char* begin, const char* end) { return QString::fromLatin1(begin, end - begin); }

}  // namespace

QString Date(const Db::Date& d) {
    char text[48];
    char* p = Padded(text, d.year, 4);
    *p++ = '-';
    p = Padded(p, d.month, 2);
    *p++ = '-';
    return Latin1(text, Padded(p, d.day, 2));
}

QString Fraction(std::uint32_t nanoseconds, int digits) {
    if (digits == 0 || (digits < 0 && nanoseconds == 0)) return {};
    if (digits < 0) {
        QString text;
        AppendFraction(text, nanoseconds);
        return text;
    }
    char text[24];
    const int size = int(Padded(text, nanoseconds, 9) - text);
    QString cut = Latin1(text, text + std::min(size, digits));
    return digits > size ? cut + QString(digits - size, QLatin1Char('0')) : cut;
}

void AppendFraction(QString& out, std::uint32_t nanoseconds) {
    if (nanoseconds == 0) return;
    char text[24];
    int size = int(Padded(text, nanoseconds, 9) - text);
    while (text[size - 1] == '0') --size;
    out += QLatin1StringView(text, size);
}

QString Time(const Db::Time& t, int digits) {
    char text[48];
    char* p = Padded(text, t.hour, 2);
    *p++ = ':';
    p = Padded(p, t.minute, 2);
    *p++ = ':';
    const QString hms = Latin1(text, Padded(p, t.second, 2));
    const QString fraction = Fraction(t.nanoseconds, digits);
    return fraction.isEmpty() ? hms : hms + QLatin1Char('.') + fraction;
}

QString Timestamp(const Db::Timestamp& ts, int digits) {
    return Date(ts.date) + QLatin1Char(' ') + Time(ts.time, digits);
}

QString Guid(const Db::Guid& g) {
    const QString& t = g.text;
    return t.startsWith(QLatin1Char('{')) && t.endsWith(QLatin1Char('}')) ? t.mid(1, t.size() - 2) : t;
}

}  // namespace IsoText
