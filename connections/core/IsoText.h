#pragma once

#include <QString>
#include <cstdint>

#include "connections/core/Value.h"

// Dates, times, timestamps and GUIDs in the one form every database reads
// whatever its regional settings: yyyy-mm-dd, hh:mm:ss with the fraction of
// a second after a point, a GUID's 36 characters without braces. Every
// place that writes such a value as text (bound parameters, kept types, the
// check after a copy, dates towards DB2) writes it here.
namespace IsoText {

QString Date(const Db::Date& d);
// The digits of a fraction of a second: all 9 with their trailing zeros
// dropped (nothing for none) when digits is -1, else exactly that many, cut
// or padded with zeros.
QString Fraction(std::uint32_t nanoseconds, int digits = -1);
// Fraction's digits (with all 9 trailing zeros dropped) added to out.
void AppendFraction(QString& out, std::uint32_t nanoseconds);
// hh:mm:ss, then a point and Fraction when there is one (or when digits
// asks for them).
QString Time(const Db::Time& t, int digits = -1);
QString Timestamp(const Db::Timestamp& ts, int digits = -1);
QString Guid(const Db::Guid& g);

}  // namespace IsoText
