#include "connections/core/DriverText.h"

#include <sql.h>
#include <sqlext.h>

#include <QRegularExpression>
#include <algorithm>

namespace Db {

QString fromDriver(const unsigned char* text, qsizetype length) {
    return QString::fromUtf8(reinterpret_cast<const char*>(text), length);
}

QByteArray toDriver(const QString& text) { return text.toUtf8(); }

Decimal DecimalFromDriverText(const QString& text) {
    QString t = text.trimmed();
    QString sign;
    if (t.startsWith(QLatin1Char('-')) || t.startsWith(QLatin1Char('+'))) {
        if (t.front() == QLatin1Char('-')) sign = QStringLiteral("-");
        t.remove(0, 1);
    }
    // Some drivers write a comma when the client locale wants one.
    t.replace(QLatin1Char(','), QLatin1Char('.'));
    qsizetype point = t.indexOf(QLatin1Char('.'));
    QString whole = point < 0 ? t : t.left(point);
    QString fraction = point < 0 ? QString() : t.mid(point + 1);
    while (whole.size() > 1 && whole.front() == QLatin1Char('0')) whole.remove(0, 1);
    if (whole.isEmpty()) whole = QStringLiteral("0");
    QString digits = whole;
    if (!fraction.isEmpty()) digits += QLatin1Char('.') + fraction;
    // Read for every decimal value of every row: a plain scan, no pattern.
    const bool zero = std::none_of(digits.begin(), digits.end(),
                                   [](QChar c) { return c >= QLatin1Char('1') && c <= QLatin1Char('9'); });
    return Decimal{((zero ? QString() : sign) + digits).toStdString()};
}

Value TimeFromDriverText(const QString& text) {
    static const QRegularExpression time(
        QStringLiteral("^\\s*(\\d{1,2})[:.](\\d\\d)[:.](\\d\\d)(?:[.,:](\\d+))?\\s*$"));
    const QRegularExpressionMatch m = time.match(text);
    if (!m.hasMatch()) return text;
    QString fraction = m.captured(4);
    while (fraction.size() > 9 && fraction.endsWith(QLatin1Char('0'))) fraction.chop(1);
    if (fraction.size() > 9) return text;  // finer than nanoseconds: keep every digit as text
    const auto nanoseconds = fraction.leftJustified(9, QLatin1Char('0')).toUInt();
    return Time{m.captured(1).toInt(), m.captured(2).toInt(), m.captured(3).toInt(), nanoseconds};
}

long long IndicatorFromDriver(long long written) {
    if constexpr (sizeof(SQLLEN) > 4) {
        if (written == 0xFFFFFFFFLL) return SQL_NULL_DATA;
        if (written == 0xFFFFFFFCLL) return SQL_NO_TOTAL;
    }
    return written;
}

}  // namespace Db
