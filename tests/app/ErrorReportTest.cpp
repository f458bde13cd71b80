#include <gtest/gtest.h>

#include "app/core/ErrorReport.h"
#include "connections/core/Error.h"
#include "support/ScriptedDialogs.h"

namespace {

TEST(ErrorReport, TextHasTheFixedShape) {
    EXPECT_EQ(ErrorReportText(QStringLiteral("Boom"), QStringLiteral("Form1.PushButton4_Click"), 106),
              QStringLiteral("Boom\r\nin Kelvane2021/08/31.Form1.PushButton4_Click at line 106\r\r"
                             "Please email screenshot of this message to support@quillmoor.example"));
}

TEST(ErrorReport, AFailedStepIsReportedAndTheCommandGoesOn) {
    ScriptedDialogs dialogs;
    Procedure p(QStringLiteral("Form2.PushButton5_Click"));
    QStringList ran;
    p(100, [&] { ran << "100"; });
    p(102, [&] { ran << "102"; });
    EXPECT_FALSE(p(104, [&] {
        throw Db::Error(QStringLiteral("[unixODBC][Driver Manager]Data source name not found"),
                        {QStringLiteral("IM002")});
    }));
    EXPECT_TRUE(p(106, [&] { ran << "106"; }));
    p(112, [&] {
        ran << "112a";
        throw std::runtime_error("second");
        ran << "never";
    });
    p(114, [&] { ran << "114"; });

    EXPECT_EQ(ran, (QStringList{"100", "102", "106", "112a", "114"}));
    ASSERT_EQ(dialogs.messages.size(), 2u);
    EXPECT_EQ(dialogs.messages[0].title, QStringLiteral("Application Error"));
    EXPECT_EQ(dialogs.messages[0].icon, Dialogs::Icon::Warning);
    EXPECT_TRUE(dialogs.messages[0].text.startsWith(
        QStringLiteral("[unixODBC][Driver Manager]Data source name not found\r\nin Kelvane2021/08/31."
                       "Form2.PushButton5_Click at line 104\r\r")));
    EXPECT_TRUE(dialogs.messages[1].text.contains(QStringLiteral("at line 112\r\r")));
}

}  // namespace
