#include "connections/core/IsoText.h"

namespace IsoText {

QString Date(const Db::Date& d) { return QString::asprintf("%04d-%02d-%02d", d.year, d.month, d.day); }

QString Fraction(std::uint32_t nanoseconds, int digits) {
    if (digits == 0 || (digits < 0 && nanoseconds == 0)) return {};
    QString text = QString::number(nanoseconds).rightJustified(9, QLatin1Char('0'));
    if (digits > 0) return text.leftJustified(digits, QLatin1Char('0'), true);
    while (text.endsWith(QLatin1Char('0'))) text.chop(1);
    return text;
}

QString Time(const Db::Time& t, int digits) {
    const QString text = QString::asprintf("%02d:%02d:%02d", t.hour, t.minute, t.second);
    const QString fraction = Fraction(t.nanoseconds, digits);
    return fraction.isEmpty() ? text : text + QLatin1Char('.') + fraction;
}

QString Timestamp(const Db::Timestamp& ts, int digits) {
    return Date(ts.date) + QLatin1Char(' ') + Time(ts.time, digits);
}

QString Guid(const Db::Guid& g) {
    const QString& t = g.text;
    return t.startsWith(QLatin1Char('{')) && t.endsWith(QLatin1Char('}')) ? t.mid(1, t.size() - 2) : t;
}

}  // namespace IsoText
