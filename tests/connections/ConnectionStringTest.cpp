#include <gtest/gtest.h>

#include "connections/core/ConnectionString.h"

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

}  // namespace
