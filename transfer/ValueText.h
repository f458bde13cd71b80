#pragma once

#include <QLocale>
#include <QString>

#include "connections/Value.h"

// The text a field value is written as inside a quoted SQL literal: what a
// Windows user of the same regional settings would see for it, except that
// numbers keep every digit needed to read back the same value and timestamps
// keep their fraction of a second.
//
// Null gives the empty text. Booleans are True and False in every locale.
// Floating-point NaN and infinities, which neither DB2 nor ASE stores, give
// NaN, Infinity and -Infinity, the spellings strtod reads back.
QString ValueText(const Db::Value& v, const QLocale& locale = QLocale());
