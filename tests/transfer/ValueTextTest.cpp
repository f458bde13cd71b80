#include <gtest/gtest.h>

#include <charconv>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

#include "connections/core/IsoText.h"
#include "transfer/core/ValueText.h"

namespace {

struct Case {
    const char* locale;
    Db::Value value;
    QString expected;
};

void Check(const std::vector<Case>& cases) {
    for (const Case& c : cases) {
        const QString text = ValueText(c.value, QLocale(QString::fromLatin1(c.locale)));
        EXPECT_EQ(text.toStdString(), c.expected.toStdString())
            << c.locale << " variant #" << c.value.index();
    }
}

Db::Timestamp Stamp(int y, int mo, int d, int h, int mi, int s, std::uint32_t ns = 0) {
    return {{y, mo, d}, {h, mi, s, ns}};
}

template <typename F>
bool ReadsBack(F v, const QString& text) {
    const std::string s = text.toStdString();
    F back{};
    const auto r = std::from_chars(s.data(), s.data() + s.size(), back);
    return r.ec == std::errc() && r.ptr == s.data() + s.size() && std::memcmp(&back, &v, sizeof v) == 0;
}

}  // namespace

TEST(ValueText, ScalarsTextAndBytes) {
    Check({
        {"en_US", Db::Null{}, ""},
        {"en_US", std::int64_t(-42), "-42"},
        {"de_DE", std::numeric_limits<std::int64_t>::min(), "-9223372036854775808"},
        {"de_DE", std::numeric_limits<std::uint64_t>::max(), "18446744073709551615"},
        {"en_US", true, "True"},
        {"de_DE", false, "False"},
        {"es_ES", true, "True"},
        {"en_US", QStringLiteral("O'Brien  "), "O'Brien  "},
        {"en_US", QByteArray("\x00\xab\x10\xff", 4), "00AB10FF"},
        {"en_US", QByteArray(), ""},
        {"en_US", Db::Guid{"{6F9619FF-8B86-D011-B42D-00C04FC964FF}"},
         "{6F9619FF-8B86-D011-B42D-00C04FC964FF}"},
    });
}

TEST(ValueText, DecimalsKeepEveryDigit) {
    const auto dec = [](const char* s) { return Db::Value(Db::Decimal{s}); };
    Check({
        {"en_US", dec("1.500"), "1.5"},
        {"en_US", dec("2.000"), "2"},
        {"en_US", dec("5."), "5"},
        {"en_US", dec("-0.00"), "0"},
        {"en_US", dec("-0"), "0"},
        {"en_US", dec(".5"), "0.5"},
        {"en_US", dec("-.050"), "-0.05"},
        {"en_US", dec("0070.10"), "70.1"},
        {"en_US", dec("100"), "100"},
        {"en_US", dec("12345678901234567890123456789.123456789"), "12345678901234567890123456789.123456789"},
        {"de_DE", dec("-1234.50"), "-1234,5"},
        // Not a decimal numeral: passed on rather than mangled.
        {"en_US", dec("1e5"), "1e5"},
        {"en_US", dec(""), ""},
        {"en_US", dec("-"), "-"},
    });
}

TEST(ValueText, DoublesShortestDigitsWindowsLayout) {
    Check({
        {"en_US", 0.5, "0.5"},
        {"en_US", -1.5, "-1.5"},
        {"en_US", 100.0, "100"},
        {"en_US", 0.1 + 0.2, "0.30000000000000004"},
        {"en_US", 1e14, "100000000000000"},
        {"en_US", 999999999999999.0, "999999999999999"},
        {"en_US", 123456789012345.67, "123456789012345.67"},
        {"en_US", 1e15, "1E+15"},
        {"en_US", 1.2e15, "1.2E+15"},
        {"en_US", 123456789012345678.0, "1.2345678901234568E+17"},
        {"en_US", 1e100, "1E+100"},
        {"en_US", 1e-4, "0.0001"},
        {"en_US", 1e-5, "0.00001"},
        {"en_US", 0.000056789, "0.000056789"},
        {"en_US", 5.6789e-11, "0.000000000056789"},
        {"en_US", 1e-15, "0.000000000000001"},
        {"en_US", 5.6789e-12, "5.6789E-12"},
        {"en_US", 1e-16, "1E-16"},
        {"en_US", -1.2345678901234566e-9, "-1.2345678901234566E-09"},
        {"en_US", std::numeric_limits<double>::max(), "1.7976931348623157E+308"},
        {"en_US", std::numeric_limits<double>::min(), "2.2250738585072014E-308"},
        {"en_US", std::numeric_limits<double>::denorm_min(), "5E-324"},
        {"en_US", 0.0, "0"},
        {"en_US", -0.0, "0"},
        {"en_US", std::numeric_limits<double>::quiet_NaN(), "NaN"},
        {"en_US", std::numeric_limits<double>::infinity(), "Infinity"},
        {"en_US", -std::numeric_limits<double>::infinity(), "-Infinity"},
        {"de_DE", 0.5, "0,5"},
        {"de_DE", 1.2e15, "1,2E+15"},
        {"de_DE", -1234567.25, "-1234567,25"},
        {"en_US", 0.1f, "0.1"},
        {"en_US", 1.0f / 3.0f, "0.33333334"},
        {"en_US", 16777216.0f, "16777216"},
        {"en_US", 1e15f, "1E+15"},
        {"en_US", std::numeric_limits<float>::max(), "3.4028235E+38"},
        {"en_US", std::numeric_limits<float>::denorm_min(), "1E-45"},
        {"en_US", -0.0f, "0"},
        {"de_DE", 2.5f, "2,5"},
    });
}

TEST(ValueText, FloatingPointTextReadsBackToTheSameBits) {
    std::mt19937_64 random(20210501);
    const QLocale us(QStringLiteral("en_US"));
    for (int i = 0; i < 20000; ++i) {
        const std::uint64_t bits = random();
        double d;
        float f;
        std::memcpy(&d, &bits, sizeof d);
        std::memcpy(&f, &bits, sizeof f);
        if (std::isfinite(d)) {
            EXPECT_TRUE(ReadsBack(d, ValueText(d, us))) << ValueText(d, us).toStdString();
        }
        if (std::isfinite(f)) {
            EXPECT_TRUE(ReadsBack(f, ValueText(f, us))) << ValueText(f, us).toStdString();
        }
    }
}

TEST(ValueText, DatesAndTimesFollowTheRegionalPictures) {
    Check({
        {"en_US", Db::Date{2021, 5, 1}, "5/1/2021"},
        {"en_US", Db::Date{100, 1, 2}, "1/2/0100"},
        {"en_US", Db::Date{1, 1, 1}, "1/1/0001"},
        {"de_DE", Db::Date{999, 12, 31}, "31.12.0999"},
        {"en_US", Db::Date{9999, 12, 31}, "12/31/9999"},
        {"en_US", Db::Time{13, 45, 0}, "1:45:00 PM"},
        {"en_US", Db::Time{0, 5, 9}, "12:05:09 AM"},
        {"en_US", Db::Time{12, 0, 0}, "12:00:00 PM"},
        {"en_US", Db::Time{13, 45, 0, 123000000}, "1:45:00.123 PM"},
        {"de_DE", Db::Date{2021, 5, 1}, "01.05.2021"},
        {"de_DE", Db::Time{13, 45, 0}, "13:45:00"},
        {"de_DE", Db::Time{9, 5, 0}, "09:05:00"},
        {"es_ES", Db::Date{2021, 5, 1}, "1/5/2021"},
        {"es_ES", Db::Time{9, 5, 0}, "9:05:00"},          // "H:mm:ss (t)": empty bracket gone
        {"es_US", Db::Time{13, 45, 0}, "1:45:00 p. m."},  // no-break space in the PM text
        {"zh_HK", Db::Time{13, 45, 0}, "下午1:45:00"},    // "APh:mm:ss [t]"
        {"bg_BG", Db::Date{2021, 5, 1}, "1.05.2021 г."},  // quoted literal after a two-letter year
        {"bg_BG", Db::Time{13, 45, 0}, "13:45:00 ч."},
        {"ko_KR", Db::Date{2021, 5, 1}, "2021. 5. 1."},
        {"ko_KR", Db::Time{13, 45, 0}, "오후 1시 45분 0초"},
        {"C", Db::Date{2021, 5, 1}, "1 May 2021"},
    });
}

TEST(ValueText, TimestampsShowDateTimeAndFraction) {
    Check({
        {"en_US", Stamp(2021, 5, 1, 13, 45, 0), "5/1/2021 1:45:00 PM"},
        {"en_US", Stamp(1900, 12, 30, 0, 0, 0), "12/30/1900"},
        {"en_US", Stamp(2021, 5, 1, 13, 45, 0, 125000000), "5/1/2021 1:45:00.125 PM"},
        {"en_US", Stamp(2021, 5, 1, 0, 0, 0, 1), "5/1/2021 12:00:00.000000001 AM"},
        {"en_US", Stamp(2021, 5, 1, 0, 0, 1), "5/1/2021 12:00:01 AM"},
        // Day zero of the OLE calendar keeps its date: a timestamp never drops it.
        {"en_US", Stamp(1899, 12, 30, 13, 45, 0), "12/30/1899 1:45:00 PM"},
        {"en_US", Stamp(1899, 12, 30, 0, 0, 0), "12/30/1899"},
        {"en_US", Stamp(1899, 12, 31, 0, 0, 0), "12/31/1899"},
        {"de_DE", Stamp(2021, 5, 1, 13, 45, 7, 500000000), "01.05.2021 13:45:07,5"},
        {"es_ES", Stamp(2021, 5, 1, 13, 45, 0), "1/5/2021 13:45:00"},
    });
}

// A date bound for a DB2 DATE column must be read back as the same day: the
// regional text only where DB2 reads it as month/day/year.
TEST(ValueText, Db2DatesAreWrittenSoDb2ReadsTheSameDay) {
    const std::vector<Case> cases{
        {"en_US", Db::Date{2021, 5, 1}, "5/1/2021"},
        {"en_US", Db::Date{100, 1, 2}, "1/2/0100"},
        {"en_GB", Db::Date{2021, 5, 1}, "2021-05-01"},  // 01/05/2021 would be 5 January
        {"es_ES", Db::Date{2021, 5, 1}, "2021-05-01"},
        {"de_DE", Db::Date{2021, 5, 1}, "2021-05-01"},
        {"ja_JP", Db::Date{2021, 5, 1}, "2021-05-01"},
        {"en_GB", QStringLiteral("01/05/2021"), "01/05/2021"},  // what is no date stays as it is
        {"en_GB", Db::Null{}, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Db2DateText(c.value, QLocale(QString::fromLatin1(c.locale))), c.expected) << c.locale;
}

TEST(ValueText, ImpossibleDatesAndTimesFallBackToIsoText) {
    Check({
        {"en_US", Db::Date{2021, 0, 1}, "2021-00-01"},
        {"en_US", Db::Date{2021, 2, 29}, "2021-02-29"},
        {"en_US", Db::Date{0, 1, 1}, "0000-01-01"},
        {"en_US", Db::Date{10000, 1, 1}, "10000-01-01"},
        {"en_US", Db::Date{-5, 1, 1}, "-005-01-01"},
        {"en_US", Db::Time{24, 0, 0}, "24:00:00"},
        {"en_US", Stamp(2021, 13, 1, 10, 0, 0), "2021-13-01 10:00:00 AM"},
        {"en_US", Stamp(2021, 5, 1, 10, 61, 0, 5000), "5/1/2021 10:61:00.000005"},
    });
}

// The one ISO spelling of dates, times, fractions and GUIDs that bound
// parameters, kept types and the check all write.
TEST(IsoText, OneSpellingForEveryWriter) {
    const std::pair<QString, QString> cases[] = {
        {IsoText::Date({999, 12, 31}), "0999-12-31"},
        {IsoText::Fraction(0), ""},
        {IsoText::Fraction(500000000), "5"},
        {IsoText::Fraction(1), "000000001"},
        {IsoText::Fraction(123456789, 6), "123456"},
        {IsoText::Fraction(5000, 3), "000"},
        {IsoText::Fraction(123456789, 0), ""},
        {IsoText::Fraction(12, 12), "000000012000"},
        {IsoText::Time({10, 11, 12, 500000000}), "10:11:12.5"},
        {IsoText::Time({0, 0, 0, 0}), "00:00:00"},
        {IsoText::Timestamp(Stamp(2021, 5, 1, 8, 0, 0, 120000000)), "2021-05-01 08:00:00.12"},
        {IsoText::Timestamp(Stamp(2021, 5, 1, 8, 0, 0, 120000000), 6), "2021-05-01 08:00:00.120000"},
        {IsoText::Timestamp(Stamp(1, 1, 1, 0, 0, 0), 0), "0001-01-01 00:00:00"},
        {IsoText::Guid({"{6F9619FF-8B86-D011-B42D-00C04FC964FF}"}), "6F9619FF-8B86-D011-B42D-00C04FC964FF"},
        {IsoText::Guid({"6f9619ff-8b86-d011-b42d-00c04fc964ff"}), "6f9619ff-8b86-d011-b42d-00c04fc964ff"},
    };
    for (const auto& [got, expected] : cases) EXPECT_EQ(got, expected);
}
