#include "transfer/core/ValueText.h"

#include <QDate>
#include <QRegularExpression>
#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdlib>
#include <deque>
#include <string>
#include <vector>

#include "connections/core/IsoText.h"

namespace {

// The locale's decimal point, taken from it once (PicturesOf, below).
const QString& DecimalPoint(const QLocale& locale);

// Digits chosen by shortest round trip, laid out by the Windows rule: plain
// for decimal exponents -4..14, and also for smaller exponents while the
// plain form needs at most 15 decimals; otherwise E, a sign and at least two
// exponent digits.
template <typename F>
QString FloatText(F v, const QLocale& locale) {
    if (std::isnan(v)) return QStringLiteral("NaN");
    if (std::isinf(v)) return v < 0 ? QStringLiteral("-Infinity") : QStringLiteral("Infinity");
    if (v == 0) return QStringLiteral("0");  // negative zero too

    // Taken apart in place: e.g. "-1.2345e+15", "5e-324".
    char buf[64];
    char* const end = std::to_chars(buf, buf + sizeof buf - 1, v, std::chars_format::scientific).ptr;
    *end = '\0';  // for atoi
    const bool negative = buf[0] == '-';
    const char* const e = std::find(buf, end, 'e');
    const int exponent = std::atoi(e + 1);
    char digitBuf[64];
    int n = 0;
    for (const char* c = buf + int(negative); c < e; ++c)
        if (*c != '.') digitBuf[n++] = *c;
    const auto digits = [&](int from, int count) { return QLatin1StringView(digitBuf + from, count); };
    const QString& point = DecimalPoint(locale);

    QString out;
    out.reserve(n + 24);
    if (negative) out += QLatin1Char('-');
    const auto zeros = [&out](int count) { out.resize(out.size() + count, QLatin1Char('0')); };
    const bool plain = (exponent >= -4 && exponent <= 14) || (exponent < 0 && n - 1 - exponent <= 15);
    if (!plain) {
        out += digits(0, 1);
        if (n > 1) out += point + digits(1, n - 1);
        out += exponent < 0 ? QLatin1StringView("E-") : QLatin1StringView("E+");
        if (std::abs(exponent) < 10) out += QLatin1Char('0');
        out += QString::number(std::abs(exponent));
    } else if (exponent < 0) {
        out += QLatin1StringView("0") + point;
        zeros(-exponent - 1);
        out += digits(0, n);
    } else if (n <= exponent + 1) {
        out += digits(0, n);
        zeros(exponent + 1 - n);
    } else {
        out += digits(0, exponent + 1);
        out += point;
        out += digits(exponent + 1, n - exponent - 1);
    }
    return out;
}

// The driver's decimal digits with the fraction's trailing zeros dropped and
// the integer part's leading zeros dropped; a zero loses its sign. Anything
// that is not a plain decimal numeral is passed on untouched rather than
// guessed at.
QString DecimalText(const std::string& s, const QLocale& locale) {
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == '-' || s[i] == '+')) negative = s[i++] == '-';
    const auto digitsFrom = [&](std::size_t from) {
        while (i < s.size() && s[i] >= '0' && s[i] <= '9') ++i;
        return s.substr(from, i - from);
    };
    std::string whole = digitsFrom(i);
    std::string fraction;
    if (i < s.size() && s[i] == '.') fraction = digitsFrom(++i);
    if (i != s.size() || (whole.empty() && fraction.empty())) return QString::fromStdString(s);

    whole.erase(0, whole.find_first_not_of('0'));
    if (whole.empty()) whole.push_back('0');
    fraction.erase(fraction.find_last_not_of('0') + 1);
    if (whole == "0" && fraction.empty()) negative = false;

    QString out = QString::fromLatin1(negative ? "-" : "") + QString::fromStdString(whole);
    if (!fraction.empty()) out += DecimalPoint(locale) + QString::fromStdString(fraction);
    return out;
}

// One element of a Qt date/time picture: a field letter with its repeat
// count, or literal text (field is null).
struct Token {
    QChar field;
    int count = 0;
    QString literal;
};

std::vector<Token> Tokens(const QString& picture) {
    std::vector<Token> out;
    const auto addLiteral = [&](const QString& text) {
        if (!out.empty() && out.back().field.isNull())
            out.back().literal += text;
        else
            out.push_back({QChar(), 0, text});
    };
    const qsizetype size = picture.size();
    for (qsizetype i = 0; i < size;) {
        const QChar c = picture[i];
        if (c == QLatin1Char('\'')) {
            // Quoted literal; a doubled quote inside or outside is one quote.
            if (i + 1 < size && picture[i + 1] == QLatin1Char('\'')) {
                addLiteral(QStringLiteral("'"));
                i += 2;
                continue;
            }
            QString text;
            for (++i; i < size; ++i) {
                if (picture[i] != QLatin1Char('\'')) {
                    text += picture[i];
                } else if (i + 1 < size && picture[i + 1] == QLatin1Char('\'')) {
                    text += QLatin1Char('\'');
                    ++i;
                } else {
                    ++i;
                    break;
                }
            }
            addLiteral(text);
        } else if (c == QLatin1Char('A') || c == QLatin1Char('a')) {
            // AP, ap, A, a (and the mixed forms): only an all-lower-case form
            // asks for lower-case text.
            bool lower = c == QLatin1Char('a');
            ++i;
            if (i < size && picture[i].toLower() == QLatin1Char('p')) {
                lower = lower && picture[i] == QLatin1Char('p');
                ++i;
            }
            out.push_back({lower ? QLatin1Char('a') : QLatin1Char('A'), 1, {}});
        } else if (QStringLiteral("dMyhHmszt").contains(c)) {
            int count = 0;
            while (i < size && picture[i] == c) ++i, ++count;
            out.push_back({c, count, {}});
        } else {
            addLiteral(QString(c));
            ++i;
        }
    }
    return out;
}

struct Moment {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    std::uint32_t nanoseconds = 0;
};

// A locale's two pictures, parsed once, and the texts they take from it:
// a transfer writes the dates and times of every row with the same ones.
struct Pictures {
    QLocale locale;
    std::vector<Token> date, time;
    bool monthDayYear = false;  // the short date is month/day/year, as DB2's USA form
    QString point, am, pm;
    bool dateTwelveHour = false, timeTwelveHour = false;  // the picture has an AM/PM field
};

bool TwelveHour(const std::vector<Token>& tokens) {
    return std::any_of(tokens.begin(), tokens.end(), [](const Token& t) {
        return t.field == QLatin1Char('A') || t.field == QLatin1Char('a');
    });
}

// One entry per locale seen: a copy writes its values in the user's locale
// while the check after it hashes them in the C locale, row after row, and a
// single entry would be parsed again at every turn.
const Pictures& PicturesOf(const QLocale& locale) {
    thread_local std::deque<Pictures> cached;
    for (const Pictures& p : cached)
        if (p.locale == locale) return p;
    static const QRegularExpression usa(QStringLiteral("^M{1,2}/d{1,2}/y+$"));
    const QString date = locale.dateFormat(QLocale::ShortFormat);
    Pictures& p = cached.emplace_back(Pictures{locale, Tokens(date), Tokens(locale.timeFormat(QLocale::LongFormat)),
                                               usa.match(date).hasMatch(), locale.decimalPoint(), locale.amText(),
                                               locale.pmText()});
    p.dateTwelveHour = TwelveHour(p.date);
    p.timeTwelveHour = TwelveHour(p.time);
    return p;
}

const QString& DecimalPoint(const QLocale& locale) { return PicturesOf(locale).point; }

// Renders a picture by hand so that digits are ASCII. Every run of y is the
// full year with at least four digits (0100, 2021): Windows users set
// four-digit years where CLDR gives two. The time-zone letter t and
// milliseconds z are not rendered; the fraction of a second, when there is
// one, follows the seconds field directly: 1:45:00.125 PM.
class Renderer {
public:
    Renderer(const Moment& m, const Pictures& pictures, bool twelveHour, QString& out)
        : m_(m), p_(pictures), twelveHour_(twelveHour), out_(out) {}

    void field(const Token& t) {
        switch (t.field.unicode()) {
            case 0:
                out_ += t.literal;
                break;
            case 'd':
                if (t.count <= 2) return number(m_.day, t.count);
                out_ += p_.locale.dayName(QDate(m_.year, m_.month, m_.day).dayOfWeek(), nameFormat(t.count));
                break;
            case 'M':
                if (t.count <= 2) return number(m_.month, t.count);
                out_ += p_.locale.monthName(m_.month, nameFormat(t.count));
                break;
            case 'y':
                // Four digits at least, so that year 999 is never read as 1999.
                if (m_.year < 1000) out_ += QString(m_.year < 10 ? 3 : m_.year < 100 ? 2 : 1, QLatin1Char('0'));
                number(m_.year, 1);
                break;
            default:
                timeField(t);
        }
    }

private:
    static QLocale::FormatType nameFormat(int count) {
        return count == 3 ? QLocale::ShortFormat : QLocale::LongFormat;
    }

    // Straight into the text: a number and its padded copy would cost two
    // allocations for every field of every value a transfer writes.
    void number(int value, int count) {
        if (count >= 2 && value >= 0 && value < 10) out_ += QLatin1Char('0');
        char digits[16];
        const auto end = std::to_chars(digits, digits + sizeof digits, value).ptr;
        out_ += QLatin1String(digits, end - digits);
    }

    void timeField(const Token& t) {
        switch (t.field.unicode()) {
            case 'h':
                return number(twelveHour_ && m_.hour % 12 == 0 ? 12 : twelveHour_ ? m_.hour % 12 : m_.hour, t.count);
            case 'H':
                return number(m_.hour, t.count);
            case 'm':
                return number(m_.minute, t.count);
            case 's':
                number(m_.second, t.count);
                if (m_.nanoseconds != 0) {
                    out_ += p_.point;
                    IsoText::AppendFraction(out_, m_.nanoseconds);
                }
                return;
            case 'A':
                out_ += amPm();
                return;
            case 'a':
                out_ += amPm().toLower();
                return;
            default:
                return;  // t, z
        }
    }

    const QString& amPm() const { return m_.hour < 12 ? p_.am : p_.pm; }

    const Moment& m_;
    const Pictures& p_;
    const bool twelveHour_;
    QString& out_;
};

// Appends the picture's text for the moment to out.
void Render(const std::vector<Token>& tokens, const Moment& m, const Pictures& pictures, bool twelveHour,
            QString& out) {
    const qsizetype from = out.size();
    Renderer r(m, pictures, twelveHour, out);
    for (const Token& t : tokens) r.field(t);
    // No-break spaces as plain ones.
    QChar* const text = out.data();
    for (qsizetype i = from; i < out.size(); ++i)
        if (text[i] == QChar(0x00A0) || text[i] == QChar(0x202F)) text[i] = QLatin1Char(' ');
}

// True when QString::simplified would leave the text as it is.
bool IsSimple(QStringView s) {
    if (s.isEmpty()) return true;
    if (s.front().isSpace() || s.back().isSpace()) return false;
    for (qsizetype i = 0; i < s.size(); ++i)
        if (s[i].isSpace() && (s[i] != QLatin1Char(' ') || s[i + 1].isSpace())) return false;
    return true;
}

bool ValidDate(const Db::Date& d) { return d.year >= 1 && d.year <= 9999 && QDate::isValid(d.year, d.month, d.day); }

bool ValidTime(const Db::Time& t) {
    return t.hour >= 0 && t.hour <= 23 && t.minute >= 0 && t.minute <= 59 && t.second >= 0 && t.second <= 59;
}

void AppendDate(QString& out, const Db::Date& d, const QLocale& locale) {
    if (!ValidDate(d)) {
        out += IsoText::Date(d);
        return;
    }
    const Pictures& p = PicturesOf(locale);
    Render(p.date, {d.year, d.month, d.day, 0, 0, 0, 0}, p, p.dateTwelveHour, out);
}

void AppendTime(QString& out, const Db::Time& t, const QLocale& locale) {
    if (!ValidTime(t)) {
        out += IsoText::Time(t);
        return;
    }
    const Pictures& p = PicturesOf(locale);
    const qsizetype from = out.size();
    Render(p.time, {2000, 1, 1, t.hour, t.minute, t.second, t.nanoseconds}, p, p.timeTwelveHour, out);
    // Most pictures leave only a space where the zone letter was.
    while (out.size() > from && out.back() == QLatin1Char(' ')) out.chop(1);
    const QStringView part = QStringView(out).mid(from);
    if (IsSimple(part) && !part.contains(QLatin1Char('(')) && !part.contains(QLatin1Char('['))) return;
    // Without the zone letter, CLDR pictures such as "H:mm:ss (t)" leave an
    // empty bracket and stray spaces behind.
    QString text = out.mid(from);
    text.remove(QLatin1String("()")).remove(QLatin1String("[]"));
    out.truncate(from);
    out += std::move(text).simplified();
}

QString DateText(const Db::Date& d, const QLocale& locale) {
    QString text;
    text.reserve(32);
    AppendDate(text, d, locale);
    return text;
}

QString TimeText(const Db::Time& t, const QLocale& locale) {
    QString text;
    text.reserve(32);
    AppendTime(text, t, locale);
    return text;
}

QString TimestampText(const Db::Timestamp& ts, const QLocale& locale) {
    // A timestamp keeps its date whatever the day: only a time value is
    // written as a time alone.
    QString text = DateText(ts.date, locale);
    if (ts.time == Db::Time{}) return text;
    text += QLatin1Char(' ');
    AppendTime(text, ts.time, locale);
    return text;
}

struct Visitor {
    const QLocale& locale;
    QString operator()(const Db::Null&) const { return {}; }
    QString operator()(std::int64_t v) const { return QString::number(v); }
    QString operator()(std::uint64_t v) const { return QString::number(v); }
    QString operator()(const Db::Decimal& v) const { return DecimalText(v.digits, locale); }
    QString operator()(double v) const { return FloatText(v, locale); }
    QString operator()(float v) const { return FloatText(v, locale); }
    QString operator()(bool v) const { return v ? QStringLiteral("True") : QStringLiteral("False"); }
    QString operator()(const Db::Date& v) const { return DateText(v, locale); }
    QString operator()(const Db::Time& v) const { return TimeText(v, locale); }
    QString operator()(const Db::Timestamp& v) const { return TimestampText(v, locale); }
    QString operator()(const QString& v) const { return v; }
    QString operator()(const QByteArray& v) const { return QString::fromLatin1(v.toHex().toUpper()); }
    QString operator()(const Db::Guid& v) const { return v.text; }
};

}  // namespace

QString ValueText(const Db::Value& v, const QLocale& locale) { return std::visit(Visitor{locale}, v); }

QString Db2DateText(const Db::Value& v, const QLocale& locale) {
    const auto* d = std::get_if<Db::Date>(&v);
    if (!d || PicturesOf(locale).monthDayYear) return ValueText(v, locale);
    return IsoText::Date(*d);
}
