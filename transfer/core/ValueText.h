#pragma once

#include <QLocale>
#include <QString>

#include "connections/core/Value.h"

// The text a field value is written as inside a quoted SQL literal: what a
// Windows user of the same regional settings would see for it, except that
// numbers keep every digit needed to read back the same value and timestamps
// keep their fraction of a second.
//
// Null gives the empty text. Booleans are True and False in every locale.
// Floating-point NaN and infinities, which neither DB2 nor ASE stores, give
// NaN, Infinity and -Infinity, the spellings strtod reads back.
QString ValueText(const Db::Value& v, const QLocale& locale = QLocale());

// The text of a value bound for a DB2 DATE column. DB2 reads a date only in
// its own forms (yyyy-mm-dd, mm/dd/yyyy, dd.mm.yyyy), so a day-first
// regional date such as 01/05/2021 would be stored as 5 January: the
// regional text is kept where it is month/day/year with a four-digit year,
// and elsewhere the date goes as yyyy-mm-dd. Other values as ValueText.
QString Db2DateText(const Db::Value& v, const QLocale& locale = QLocale());
