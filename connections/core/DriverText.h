#pragma once

#include <QByteArray>
#include <QString>

#include "connections/core/Value.h"

// Text and numbers as the drivers write them, read as this program means
// them. Every text goes to and comes from the drivers as UTF-8.
namespace Db {

// Text a driver wrote (SQLCHAR), up to its NUL unless a length is given.
QString fromDriver(const unsigned char* text, qsizetype length = -1);
QByteArray toDriver(const QString& text);

// An exact decimal from the text a driver gives for a DECIMAL or NUMERIC
// value: sign and digits kept, leading zeros of the whole part dropped.
Decimal DecimalFromDriverText(const QString& text);
// A TIME value as the driver spells it ("13:45:06", "13.45.06",
// "13:45:06.125"); text that is no such time stays the text it is.
Value TimeFromDriverText(const QString& text);
// A length or NULL indicator as the driver meant it. Some drivers (IBM's
// DB2 CLI on 64-bit Linux) write only its lower 32 bits; the upper half is
// zeroed before each call, so their NULL (-1) and "no total" (-4) markers
// arrive as 0xFFFFFFFF and 0xFFFFFFFC.
long long IndicatorFromDriver(long long written);

}  // namespace Db
