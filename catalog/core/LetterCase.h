#pragma once

#include <QString>

// Upper and lower case of table names, one character for one character, as
// the platform's string functions map them. QString::toUpper and toLower
// apply Unicode's full mappings instead, where "ß" becomes "SS" and "İ"
// becomes two characters: a name would then hold letters it does not have,
// "xßys" would hold "SYS". Each letter takes its one-character mapping, or
// stays as it is when it has none.
QString UCase(const QString& text);
QString LCase(const QString& text);
