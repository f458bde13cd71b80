#pragma once

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <string>
#include <variant>

// One field value as a database delivered it, with its kind kept apart so
// that the text written for it later is exact.
namespace Db {

struct Null {
    bool operator==(const Null&) const = default;
};

// An exact decimal as the driver spelled it: optional '-', digits, optional
// '.' and fraction digits. Never passes through a double.
struct Decimal {
    std::string digits;
    bool operator==(const Decimal&) const = default;
};

struct Date {
    int year = 0, month = 0, day = 0;
    bool operator==(const Date&) const = default;
};

// A time of day with its fraction of a second, as a TIME column or the time
// part of a timestamp holds it.
struct Time {
    int hour = 0, minute = 0, second = 0;
    std::uint32_t nanoseconds = 0;
    bool operator==(const Time&) const = default;
};

struct Timestamp {
    Date date;
    Time time;
    bool operator==(const Timestamp&) const = default;
};

// A GUID in its canonical braced, upper-case text.
struct Guid {
    QString text;
    bool operator==(const Guid&) const = default;
};

using Value = std::variant<Null, std::int64_t, std::uint64_t, Decimal, double, float, bool, Date, Time,
                           Timestamp, QString, QByteArray, Guid>;

inline bool isNull(const Value& v) { return std::holds_alternative<Null>(v); }

}  // namespace Db
