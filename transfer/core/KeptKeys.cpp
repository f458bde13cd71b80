#include "transfer/core/KeptKeys.h"

#include <QRegularExpression>

#include "catalog/core/Identifiers.h"

namespace KeptKeys {

namespace {

bool toAse(Direction d) { return d == Direction::ToAse; }

QString Target(Direction d, const QString& name) {
    return toAse(d) ? Identifiers::Ase(name) : Identifiers::Db2(name);
}

bool Matches(const char* pattern, const QString& text) {
    return QRegularExpression(QLatin1String(pattern), QRegularExpression::CaseInsensitiveOption)
        .match(text)
        .hasMatch();
}

// The current date, time and timestamp as each source may spell them, and
// as each target does.
struct Current {
    const char* source;
    const char* db2;
    const char* ase;
};
constexpr Current Currents[] = {
    {R"(^(current[ _]timestamp|localtimestamp|now|getdate|current_bigdatetime)\s*(\(\s*\d*\s*\))?$)",
     "CURRENT TIMESTAMP", "getdate()"},
    {R"(^(current[ _]date|curdate)\s*(\(\s*\))?$)", "CURRENT DATE", "current_date()"},
    {R"(^(current[ _]time|curtime|localtime|current_bigtime)\s*(\(\s*\d*\s*\))?$)", "CURRENT TIME",
     "current_time()"},
};

// True when the text is one parenthesis around the rest: (5), not (a)+(b).
bool Wrapped(const QString& text) {
    int depth = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        depth += text[i] == QLatin1Char('(') ? 1 : text[i] == QLatin1Char(')') ? -1 : 0;
        if (depth == 0) return i == text.size() - 1 && i > 0;
    }
    return false;
}

// The default without what drivers wrap it in: ASE's leading DEFAULT
// keyword and the parentheses some sources put around every default.
QString Bare(QString text) {
    text = text.trimmed();
    static const QRegularExpression keyword(QStringLiteral(R"(^default\s+)"),
                                            QRegularExpression::CaseInsensitiveOption);
    text.remove(keyword);
    while (text.startsWith(QLatin1Char('(')) && Wrapped(text)) text = text.mid(1).chopped(1).trimmed();
    return text;
}

// Within the limit in UTF-8 bytes, whole characters only.
QString Cut(const QString& name, int bytes) {
    QString cut = name;
    while (cut.toUtf8().size() > bytes) cut.chop(1);
    return cut;
}

QString ColumnList(Direction d, const Db::Key& key, bool withDirection) {
    QStringList columns;
    for (const Db::KeyColumn& c : key.columns)
        columns << Target(d, c.name) + (withDirection && c.descending ? QStringLiteral(" DESC") : QString());
    return QLatin1Char('(') + columns.join(QStringLiteral(", ")) + QLatin1Char(')');
}

Step PrimaryKey(Direction d, const QString& table, const Db::Key& key) {
    const QString name = KeyName(d, key.name, table, key, QStringLiteral("pk"));
    return {QStringLiteral("primary key ") + name,
            QStringLiteral("ALTER TABLE %1 ADD CONSTRAINT %2 PRIMARY KEY %3")
                .arg(Target(d, table), Target(d, name), ColumnList(d, key, false))};
}

Step Index(Direction d, const QString& table, const Db::Key& key) {
    const QString name = KeyName(d, key.name, table, key, key.unique ? QStringLiteral("uq") : QStringLiteral("ix"));
    return {(key.unique ? QStringLiteral("unique index ") : QStringLiteral("index ")) + name,
            QStringLiteral("CREATE %1INDEX %2 ON %3 %4")
                .arg(key.unique ? QStringLiteral("UNIQUE ") : QString(), Target(d, name), Target(d, table),
                     ColumnList(d, key, true))};
}

std::vector<Step> AfterRows(Direction d, const QString& table, const Db::TableShape& shape) {
    std::vector<Step> steps;
    if (!shape.primaryKey.columns.empty()) steps.push_back(PrimaryKey(d, table, shape.primaryKey));
    for (const bool unique : {true, false})
        for (const Db::Key& index : shape.indexes)
            if (index.unique == unique && !index.columns.empty()) steps.push_back(Index(d, table, index));
    return steps;
}

std::vector<NotKept> Named(const Db::TableShape& shape) {
    std::vector<NotKept> named;
    // One without a name is told by its text: "foreign key (a) REFERENCES p (id)".
    const auto clauses = [&](const char* kind, const std::vector<Db::Clause>& list) {
        const QString prefix = QString::fromLatin1(kind).toUpper() + QLatin1Char(' ');
        for (const Db::Clause& c : list) {
            const QString told = c.name.isEmpty() && c.text.startsWith(prefix) ? c.text.mid(prefix.size())
                                 : c.name.isEmpty()                          ? c.text
                                                                             : c.name;
            const QString text = c.name.isEmpty() ? c.text : QStringLiteral("CONSTRAINT %1 %2").arg(c.name, c.text);
            named.push_back({QLatin1String(kind) + QLatin1Char(' ') + told, text});
        }
    };
    clauses("foreign key", shape.foreignKeys);
    clauses("check constraint", shape.checks);
    for (const Db::Clause& t : shape.triggers) named.push_back({QStringLiteral("trigger ") + t.name, t.text});
    for (const QString& column : shape.autoIncrement)
        named.push_back({QStringLiteral("auto-increment column ") + column, column});
    return named;
}

}  // namespace

Default DefaultFor(Direction d, const QString& columnDef) {
    const QString text = Bare(columnDef);
    if (text.isEmpty() || text.compare(QLatin1String("NULL"), Qt::CaseInsensitive) == 0) return {};
    if (Matches(R"(^[+-]?(\d+\.?\d*|\.\d+)(e[+-]?\d+)?$)", text) || Matches(R"(^'([^']|'')*'$)", text))
        return {text};
    for (const Current& c : Currents)
        if (Matches(c.source, text)) return {QLatin1String(toAse(d) ? c.ase : c.db2)};
    return {columnDef.trimmed(), true};
}

QString WithDefault(Direction d, const QString& keptType, const QString& defaultText) {
    if (defaultText.isEmpty()) return keptType;
    const QString clause = (toAse(d) ? QStringLiteral(" default ") : QStringLiteral(" DEFAULT ")) + defaultText;
    for (const char* nullability : {" not null", " null", " NOT NULL"})
        if (keptType.endsWith(QLatin1String(nullability)))
            return keptType.chopped(int(strlen(nullability))) + clause + QLatin1String(nullability);
    return keptType + clause;
}

QString KeyName(Direction d, const QString& sourceName, const QString& table, const Db::Key& key,
                const QString& kind) {
    const int limit = toAse(d) ? AseNameBytes : Db2NameBytes;
    const bool takes = !sourceName.isEmpty() && sourceName.toUtf8().size() <= limit &&
                       (!toAse(d) || Identifiers::AseCanDelimit(sourceName));
    if (takes) return sourceName;
    QStringList parts{table};
    for (const Db::KeyColumn& c : key.columns) parts << c.name;
    parts << kind;
    QString made = parts.join(QLatin1Char('_'));
    if (toAse(d)) made.remove(QLatin1Char(']'));
    // The kind stays at the end, where a cut name would lose it.
    const QString suffix = QLatin1Char('_') + kind;
    return Cut(made.chopped(suffix.size()), limit - int(suffix.toUtf8().size())) + suffix;
}

Plan For(Direction d, const QString& table, const QStringList& columns, const Db::TableShape& shape) {
    Plan plan;
    plan.defaults.resize(size_t(columns.size()));
    plan.afterRows = AfterRows(d, table, shape);
    plan.notKept = Named(shape);
    for (const auto& [column, columnDef] : shape.defaults) {
        const qsizetype j = columns.indexOf(column);
        const Default def = DefaultFor(d, columnDef);
        if (def.isExpression)
            plan.notKept.push_back({QStringLiteral("expression default of column ") + column, def.text});
        else if (j >= 0)
            plan.defaults[size_t(j)] = def.text;
    }
    return plan;
}

}  // namespace KeptKeys
