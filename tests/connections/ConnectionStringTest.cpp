#include <gtest/gtest.h>

#include <QFile>

#include "connections/core/ConnectionString.h"
#include "connections/core/Error.h"
#include "support/TestOdbc.h"

namespace {

Profile P(const char* server, const char* port, const char* user, const char* password,
          const char* database) {
    return Profile{QString::fromUtf8(server), QString::fromUtf8(port), QString::fromUtf8(user),
                   QString::fromUtf8(password), QString::fromUtf8(database)};
}

TEST(ConnectionStrings, OrdinaryValuesGiveTheExactStrings) {
    const Profile p = P("db2host", "50069", "admin", "pa'ss\"w@rd=1", "SAMPLE");
    EXPECT_EQ(IBMDB2::ConnectionString(p),
              QStringLiteral("Driver={IBM DB2 ODBC DRIVER};Database=SAMPLE;Hostname=db2host;Port=50069;"
                             "Protocol=TCPIP;Uid=admin;Pwd=pa'ss\"w@rd=1;"));
    const Profile a = P("asehost", "5000", "sa", "pw=1@", "pubs2");
    EXPECT_EQ(SybaseASE::ConnectionString(a),
              QStringLiteral(
                  "Provider=ASEOLEDB;Data Source=asehost:5000;User Id=sa;Password=pw=1@;;Catalog=pubs2"));
}

TEST(ConnectionStrings, EmptyProfilesGiveTheFixedPiecesAlone) {
    EXPECT_EQ(
        IBMDB2::ConnectionString({}),
        QStringLiteral("Driver={IBM DB2 ODBC DRIVER};Database=;Hostname=;Port=;Protocol=TCPIP;Uid=;Pwd=;"));
    EXPECT_EQ(SybaseASE::ConnectionString({}),
              QStringLiteral("Provider=ASEOLEDB;Data Source=:;User Id=;Password=;;Catalog="));
}

TEST(ConnectionStrings, HostileValuesAreQuotedAndStayWhole) {
    const Profile p = P(" host", "50000 ", "u{1}", "x;Database=other", "p}w;d");
    EXPECT_EQ(IBMDB2::ConnectionString(p),
              QStringLiteral("Driver={IBM DB2 ODBC DRIVER};Database={p}}w;d};Hostname={ host};Port={50000 };"
                             "Protocol=TCPIP;Uid={u{1}}};Pwd={x;Database=other};"));
    const Profile a = P("h;x", "5000", " sa", "x;Catalog=other", "say \"hi\"");
    EXPECT_EQ(SybaseASE::ConnectionString(a),
              QStringLiteral("Provider=ASEOLEDB;Data Source=\"h;x:5000\";User Id=\" sa\";"
                             "Password=\"x;Catalog=other\";;Catalog=\"say \"\"hi\"\"\""));
}

TEST(ConnectionStrings, TheAseStringParsesBackToItsFields) {
    const Profile a = P("h;x", "5000", " sa", "it's;\"", "");
    const auto pairs = ConnectionString::ParseOleDb(SybaseASE::ConnectionString(a));
    ASSERT_EQ(pairs.size(), 5u);
    EXPECT_EQ(pairs[0], std::make_pair(QStringLiteral("Provider"), QStringLiteral("ASEOLEDB")));
    EXPECT_EQ(pairs[1].second, QStringLiteral("h;x:5000"));
    EXPECT_EQ(pairs[2].second, QStringLiteral(" sa"));
    EXPECT_EQ(pairs[3].second, QStringLiteral("it's;\""));
    EXPECT_EQ(pairs[4], std::make_pair(QStringLiteral("Catalog"), QString()));
    const auto single = ConnectionString::ParseOleDb(QStringLiteral(" Password = 'a''b;c' ; User Id= u "));
    ASSERT_EQ(single.size(), 2u);
    EXPECT_EQ(single[0].second, QStringLiteral("a'b;c"));
    EXPECT_EQ(single[1], std::make_pair(QStringLiteral("User Id"), QStringLiteral("u")));
}

TEST(ConnectionStrings, AseReachesTheRegisteredDriverOrFreeTds) {
    const QString ole = SybaseASE::ConnectionString(P("fe80::1", "5001", "sa", "x;y", "pubs2"));
    auto registered = [](const QString& name) { return name == QLatin1String("ASEOLEDB"); };
    EXPECT_EQ(ConnectionString::AseToOdbc(ole, registered),
              QStringLiteral("Driver={ASEOLEDB};Server=fe80::1;Port=5001;UID=sa;PWD={x;y};Database=pubs2;"));
    auto freeTds = [](const QString& name) { return name == QLatin1String("FreeTDS"); };
    EXPECT_EQ(ConnectionString::AseToOdbc(ole, freeTds),
              QStringLiteral("Driver={FreeTDS};Server=fe80::1;Port=5001;UID=sa;PWD={x;y};Database=pubs2;"
                             "TDS_Version=5.0;ClientCharset=UTF-8;TextSize=2147483647;"));
}

// Each row names the release its stand-in FreeTDS library carries, the
// password typed and the PWD value that release must be given; no PWD value
// means the login is refused before connecting.
TEST(ConnectionStrings, FreeTdsGetsEachValueAsItsReleaseReadsIt) {
    struct Row {
        const char* release;
        const char* password;
        const char* pwd;
    };
    const Row rows[] = {
        {"freetds v1.3.17", "se;cr{e}t\"x", "{se;cr{e}t\"x}"},
        {"freetds v1.3.17", "p}}w", "{p}}w}"},
        {"freetds v1.3.17", "x;y", "{x;y}"},
        {"freetds v1.3.17", "x};y", nullptr},
        {"freetds v1.3.17", "", ""},
        {"freetds v0.91", "a}b", "{a}b}"},
        {"freetds v1.4.2", "se;cr{e}t\"x", "{se;cr{e}}t\"x}"},
        {"freetds v1.4.2", "x};y", "{x}};y}"},
        {"", "se;cr{e}t\"x", "{se;cr{e}}t\"x}"},
        {"freetds v1.4.2", "abcdefghijklmnopqrstuvwxyz0123", "abcdefghijklmnopqrstuvwxyz0123"},
        {"freetds v1.4.2", "éééééééééééééééé", nullptr},
    };
    const QString library = TestOdbc::freshFolder() + QStringLiteral("/libtdsodbc.so");
    auto registered = [](const QString& name) { return name == QLatin1String("FreeTDS"); };
    auto libraryOf = [&](const QString&) { return library; };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.release) + " / " + row.password);
        QFile file(library);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(QByteArray(8, '\0') + row.release + QByteArray(8, '\0'));
        file.close();
        const QString ole = SybaseASE::ConnectionString(P("h", "5000", "sa", row.password, "d"));
        if (!row.pwd) {
            EXPECT_THROW(ConnectionString::AseToOdbc(ole, registered, libraryOf), Db::LoginRefused);
            continue;
        }
        EXPECT_EQ(ConnectionString::AseToOdbc(ole, registered, libraryOf),
                  QStringLiteral("Driver={FreeTDS};Server=h;Port=5000;UID=sa;PWD=") +
                      QString::fromUtf8(row.pwd) +
                      QStringLiteral(";Database=d;TDS_Version=5.0;ClientCharset=UTF-8;TextSize=2147483647;"));
    }
}

}  // namespace
