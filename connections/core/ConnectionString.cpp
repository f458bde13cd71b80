#include "connections/core/ConnectionString.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>

#include "connections/core/Error.h"

namespace ConnectionString {

namespace {

bool hasEdgeBlank(const QString& v) { return !v.isEmpty() && (v.front().isSpace() || v.back().isSpace()); }

// The value bare when it holds none of the special characters and no blank
// at either end; otherwise between open and close, every close doubled.
QString enclosed(const QString& value, QStringView specials, QChar open, QChar close) {
    const bool special =
        std::any_of(specials.begin(), specials.end(), [&value](QChar c) { return value.contains(c); }) ||
        hasEdgeBlank(value);
    if (!special) return value;
    QString inner = value;
    inner.replace(close, QString(2, close));
    return open + inner + close;
}

// unixODBC as Debian builds it loads a driver named without a folder from
// the multiarch odbc folder.
QString debianOdbcLibrary(const QString& fileName) {
    for (const QString& dir : QDir(QStringLiteral("/usr/lib")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        QString path = QStringLiteral("/usr/lib/%1/odbc/%2").arg(dir, fileName);
        if (QFileInfo::exists(path)) return path;
    }
    return {};
}

struct FreeTds {
    QString driver;   // what Driver= names
    QString library;  // the file that will be loaded; empty when unknown
};

// Debian's tdsodbc registers itself as "FreeTDS" in the system odbcinst.ini;
// when an odbcinst.ini of another place is in force, the library is named by
// its path so a user with the package installed needs no further setup.
FreeTds freeTdsDriver(const std::function<bool(const QString&)>& isRegistered,
                      const std::function<QString(const QString&)>& driverLibrary) {
    if (isRegistered(QStringLiteral("FreeTDS"))) {
        QString library = driverLibrary ? driverLibrary(QStringLiteral("FreeTDS")) : QString();
        if (!library.isEmpty() && !QDir::isAbsolutePath(library)) library = debianOdbcLibrary(library);
        return {QStringLiteral("{FreeTDS}"), library};
    }
    const QString path = debianOdbcLibrary(QStringLiteral("libtdsodbc.so"));
    if (!path.isEmpty()) return {path, path};
    return {QStringLiteral("{FreeTDS}"), {}};
}

// FreeTDS before 1.4 takes a braced value as it stands up to the first "};"
// (a doubled '}' stays doubled); 1.4 reads "}}" as one '}' and refuses a
// lone one. No spelling of a value holding '}' suits both, so the release
// is read from the "freetds vX.Y" text its library carries, before any
// login: a failed login counts against the account on servers that lock
// users out. A library that names no release gets the ODBC rule.
bool readsBracesAsWritten(const QString& library) {
    if (library.isEmpty()) return false;
    QFile file(library);
    if (!file.open(QIODevice::ReadOnly)) return false;
    const QByteArray bytes = file.readAll();
    const QByteArray mark("freetds v");
    const qsizetype at = bytes.indexOf(mark);
    if (at < 0) return false;
    static const QRegularExpression release(QStringLiteral("^(\\d+)\\.(\\d+)"));
    const QRegularExpressionMatch m = release.match(QString::fromLatin1(bytes.mid(at + mark.size(), 16)));
    if (!m.hasMatch()) return false;
    const int major = m.captured(1).toInt();
    const int minor = m.captured(2).toInt();
    return major < 1 || (major == 1 && minor < 4);
}

// A value spelled so that a FreeTDS reading braces as written gets it back
// whole; one holding "};" has no such spelling.
QString asWrittenValue(const QString& value, const QString& what) {
    if (!value.contains(QLatin1Char('}'))) return OdbcValue(value);
    if (value.contains(QLatin1String("};")))
        throw Db::LoginRefused(
            QStringLiteral("The ASE %1 contains \"};\", which the installed FreeTDS driver (a release "
                           "before 1.4) cannot receive whole, so no connection was tried. Change "
                           "the %1, or install FreeTDS 1.4 or later.")
                .arg(what));
    return QLatin1Char('{') + value + QLatin1Char('}');
}

// A TDS 5.0 login has 30 bytes for the password, and FreeTDS cuts a longer
// one to fit (the whole one goes only to the list of passwords for remote
// servers), so the server would be asked for another password.
constexpr qsizetype kTds5PasswordBytes = 30;

}  // namespace

QString OdbcValue(const QString& value) { return enclosed(value, u";{}", u'{', u'}'); }

QString OleDbValue(const QString& value) { return enclosed(value, u";'\"", u'"', u'"'); }

std::vector<std::pair<QString, QString>> ParseOleDb(const QString& text) {
    std::vector<std::pair<QString, QString>> pairs;
    qsizetype i = 0;
    const qsizetype n = text.size();
    while (i < n) {
        qsizetype eq = text.indexOf(QLatin1Char('='), i);
        qsizetype semi = text.indexOf(QLatin1Char(';'), i);
        if (eq < 0 || (semi >= 0 && semi < eq)) {  // an empty or keyword-only pair
            if (semi < 0) break;
            i = semi + 1;
            continue;
        }
        QString keyword = text.mid(i, eq - i).trimmed();
        i = eq + 1;
        while (i < n && text[i].isSpace() && text[i] != QLatin1Char(';')) ++i;
        QString value;
        if (i < n && (text[i] == QLatin1Char('"') || text[i] == QLatin1Char('\''))) {
            const QChar quote = text[i++];
            while (i < n) {
                if (text[i] == quote) {
                    if (i + 1 < n && text[i + 1] == quote) {
                        value += quote;
                        i += 2;
                        continue;
                    }
                    ++i;
                    break;
                }
                value += text[i++];
            }
            qsizetype next = text.indexOf(QLatin1Char(';'), i);
            i = next < 0 ? n : next + 1;
        } else {
            qsizetype next = text.indexOf(QLatin1Char(';'), i);
            value = text.mid(i, (next < 0 ? n : next) - i).trimmed();
            i = next < 0 ? n : next + 1;
        }
        if (!keyword.isEmpty()) pairs.emplace_back(keyword, value);
    }
    return pairs;
}

bool IsOleDb(const QString& text) {
    return text.trimmed().startsWith(QLatin1String("Provider="), Qt::CaseInsensitive);
}

QString AseToOdbc(const QString& oleDb, const std::function<bool(const QString&)>& isRegistered,
                  const std::function<QString(const QString&)>& driverLibrary) {
    QString server, port, user, password, database;
    for (const auto& [keyword, value] : ParseOleDb(oleDb)) {
        const QString k = keyword.toLower();
        if (k == QLatin1String("data source")) {
            qsizetype colon = value.lastIndexOf(QLatin1Char(':'));
            server = colon < 0 ? value : value.left(colon);
            port = colon < 0 ? QString() : value.mid(colon + 1);
        } else if (k == QLatin1String("user id")) {
            user = value;
        } else if (k == QLatin1String("password")) {
            password = value;
        } else if (k == QLatin1String("catalog")) {
            database = value;
        }
    }
    const bool registered = isRegistered(QStringLiteral("ASEOLEDB"));
    const FreeTds freeTds = registered ? FreeTds{} : freeTdsDriver(isRegistered, driverLibrary);
    // The library is read only when its release matters.
    const bool anyBrace =
        QStringList{server, port, user, password, database}.join(QString()).contains(QLatin1Char('}'));
    const bool asWritten = !registered && anyBrace && readsBracesAsWritten(freeTds.library);
    auto spell = [asWritten](const QString& v, const QString& what) {
        return asWritten ? asWrittenValue(v, what) : OdbcValue(v);
    };
    if (!registered && password.toUtf8().size() > kTds5PasswordBytes)
        throw Db::LoginRefused(
            QStringLiteral("The ASE password is longer than 30 bytes, the most the FreeTDS driver "
                           "sends in a TDS 5.0 login, so no connection was tried. Use a shorter "
                           "password, or connect through a registered ASEOLEDB driver."));
    QString s = QStringLiteral("Driver=") + (registered ? QStringLiteral("{ASEOLEDB}") : freeTds.driver) +
                QStringLiteral(";Server=") + spell(server, QStringLiteral("server name")) +
                QStringLiteral(";Port=") + spell(port, QStringLiteral("port")) + QStringLiteral(";UID=") +
                spell(user, QStringLiteral("user name")) + QStringLiteral(";PWD=") +
                spell(password, QStringLiteral("password")) + QStringLiteral(";Database=") +
                spell(database, QStringLiteral("database name")) + QLatin1Char(';');
    // ASE speaks TDS 5.0; FreeTDS would otherwise read text as Latin-1 and
    // cut long TEXT values at the server's default text size.
    if (!registered) s += QStringLiteral("TDS_Version=5.0;ClientCharset=UTF-8;TextSize=2147483647;");
    return s;
}

}  // namespace ConnectionString

using ConnectionString::OdbcValue;
using ConnectionString::OleDbValue;

QString IBMDB2::ConnectionString(const Profile& p) {
    return QStringLiteral("Driver={IBM DB2 ODBC DRIVER};Database=") + OdbcValue(p.database) +
           QStringLiteral(";Hostname=") + OdbcValue(p.server) + QStringLiteral(";Port=") + OdbcValue(p.port) +
           QStringLiteral(";Protocol=TCPIP;Uid=") + OdbcValue(p.user) + QStringLiteral(";Pwd=") +
           OdbcValue(p.password) + QLatin1Char(';');
}

QString SybaseASE::ConnectionString(const Profile& p) {
    return QStringLiteral("Provider=ASEOLEDB;Data Source=") +
           OleDbValue(p.server + QLatin1Char(':') + p.port) + QStringLiteral(";User Id=") +
           OleDbValue(p.user) + QStringLiteral(";Password=") + OleDbValue(p.password) +
           QStringLiteral(";;Catalog=") + OleDbValue(p.database);
}
