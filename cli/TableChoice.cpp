#include "cli/TableChoice.h"

#include <QRegularExpression>
#include <algorithm>

namespace TableChoice {

namespace {

QRegularExpression Wildcard(const QString& pattern) {
    QString expression, literal;
    for (QChar c : pattern) {
        if (c != QLatin1Char('*') && c != QLatin1Char('?')) {
            literal += c;
            continue;
        }
        expression += QRegularExpression::escape(literal) + (c == QLatin1Char('*') ? ".*" : ".");
        literal.clear();
    }
    expression += QRegularExpression::escape(literal);
    return QRegularExpression(QStringLiteral("\\A(?:") + expression + QStringLiteral(")\\z"),
                              QRegularExpression::CaseInsensitiveOption);
}

// The items a name or pattern selects; for a plain name, the item it finds
// or, when none, the name itself.
QStringList Matches(const QStringList& items, const QString& name) {
    if (!IsPattern(name) || items.contains(name)) {
        const int i = IndexOf(items, name);
        return {i < 0 ? name : items[i]};
    }
    return items.filter(Wildcard(name));
}

QList<QRegularExpression> Wildcards(const QStringList& patterns) {
    QList<QRegularExpression> expressions;
    for (const QString& pattern : patterns) expressions << Wildcard(pattern);
    return expressions;
}

bool Excluded(const QString& item, const QList<QRegularExpression>& excluded) {
    return std::any_of(excluded.begin(), excluded.end(),
                       [&](const QRegularExpression& pattern) { return pattern.match(item).hasMatch(); });
}

}  // namespace

bool IsPattern(const QString& name) {
    return name.contains(QLatin1Char('*')) || name.contains(QLatin1Char('?'));
}

int IndexOf(const QStringList& items, const QString& name) {
    const int exact = int(items.indexOf(name));
    if (exact >= 0) return exact;
    const QRegularExpression same(QLatin1Char('^') + QRegularExpression::escape(name) + QLatin1Char('$'),
                                  QRegularExpression::CaseInsensitiveOption);
    return items.filter(same).size() == 1 ? int(items.indexOf(same)) : -1;
}

Chosen Choose(const QStringList& items, const QStringList& given, const QStringList& excluded) {
    // Each pattern made once, not once for every item.
    const QList<QRegularExpression> exclusions = Wildcards(excluded);
    Chosen chosen;
    QStringList seen;
    for (const QString& name : given) {
        const QStringList matches = Matches(items, name);
        if (matches.isEmpty() && chosen.unmatched.isEmpty()) chosen.unmatched = name;
        for (const QString& item : matches) {
            if (seen.contains(item) || Excluded(item, exclusions)) continue;
            seen << item;
            chosen.names << (IsPattern(name) ? item : name);
        }
    }
    return chosen;
}

QStringList NamesIn(const QString& text) {
    QStringList names;
    for (QString line : text.split(QLatin1Char('\n'))) {
        line = line.trimmed();
        if (!line.isEmpty() && !line.startsWith(QLatin1Char('#'))) names << line;
    }
    return names;
}

}  // namespace TableChoice
