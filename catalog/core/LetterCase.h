#pragma once

#include <QString>

// Upper and lower case of table names, one character for one character, as
// the platform's string functions map them. QString::toUpper and toLower
// apply Unicode's full mappings instead, where "ß" becomes "SS" and "İ"
// becomes two characters: a name would then hold letters it does not have,
// "xßys" would hold "SYS". A letter whose case is more than one character
// stays as it is.
QString UCase(const QString& text);
QString LCase(const QString& text);
