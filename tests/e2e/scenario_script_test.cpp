// Reading scenario files and the values written in steps.
#include <gtest/gtest.h>

#include "app/scenario/scenario_script.h"
#include "app/scenario/step_values.h"

namespace app {
namespace {

TEST(ScenarioScript, QuotesGroupBlanksAndCommentsEndTheLine) {
    QStringList words;
    ASSERT_TRUE(splitScriptLine(
        QStringLiteral("  expect-text  mLbl \"Case # 7\"  # the \"caption\""), words));
    EXPECT_EQ(words, (QStringList{"expect-text", "mLbl", "Case # 7"}));

    ASSERT_TRUE(splitScriptLine(QStringLiteral(R"(type box "say \"hi\" \\ there" "")"), words));
    EXPECT_EQ(words, (QStringList{"type", "box", R"(say "hi" \ there)", ""}));

    // A # inside a word is part of it; only a word starting with # begins a comment.
    ASSERT_TRUE(splitScriptLine(QStringLiteral("expect-grid-cell g 0 AR# x"), words));
    EXPECT_EQ(words.size(), 5);

    QString error;
    EXPECT_FALSE(splitScriptLine(QStringLiteral("type box \"open"), words, &error));
    EXPECT_FALSE(error.isEmpty());
}

TEST(ScenarioScript, FaultyLinesAreReportedWithTheirNumbersAndLeftOut) {
    const Script s =
        parseScript(QStringLiteral("clikc mCmdBankruptcy(0)\n"               // 1 unknown step
                                   "type mTxtBankruptcy\n"                   // 2 too few
                                   "tab 1 2\n"                               // 3 too many
                                   "expect-enabled x maybe\n"                // 4 not a Boolean
                                   "answer Perhaps\n"                        // 5 no such button
                                   "date d 02/30/2020\n"                     // 6 no such day
                                   "wait-idle -3\n"                          // 7 negative time
                                   "grid-select g 1 x\n"                     // 8 row is no number
                                   "key box Bogus\n"                         // 9 no such key
                                   "expect-grid-cell g 0 \"Case Number\"\n"  // 10 too few
                                   "tab 1\n"));
    EXPECT_EQ(s.steps.size(), 1u);
    ASSERT_EQ(s.errors.size(), 10u);
    for (int i = 0; i < 10; ++i) EXPECT_EQ(s.errors[static_cast<std::size_t>(i)].line, i + 1);
    EXPECT_TRUE(s.errors[0].message.contains(QStringLiteral("clikc")));
    EXPECT_TRUE(s.errors[1].message.contains(QStringLiteral("type NAME TEXT")));
}

TEST(StepValues, DatesAreAbsoluteRelativeOrNone) {
    const QDate today(2024, 2, 28);
    EXPECT_EQ(parseDateSpec(QStringLiteral("today"), today), today);
    EXPECT_EQ(parseDateSpec(QStringLiteral("today+2"), today), QDate(2024, 3, 1));
    EXPECT_EQ(parseDateSpec(QStringLiteral("Today-59"), today), QDate(2023, 12, 31));
    EXPECT_EQ(parseDateSpec(QStringLiteral("3/7/2021"), today), QDate(2021, 3, 7));
    const auto none = parseDateSpec(QStringLiteral("none"), today);
    ASSERT_TRUE(none.has_value());
    EXPECT_FALSE(none->isValid());
    EXPECT_FALSE(parseDateSpec(QStringLiteral("13/01/2021"), today));
    EXPECT_FALSE(parseDateSpec(QStringLiteral("2021-03-07"), today));
    EXPECT_FALSE(parseDateSpec(QStringLiteral("today+"), today));
}

TEST(StepValues, KeysButtonsNamesAndCaptions) {
    EXPECT_EQ(parseKeySpec(QStringLiteral("Enter"))->key(), Qt::Key_Return);
    const auto shiftInsert = parseKeySpec(QStringLiteral("Shift+Insert"));
    ASSERT_TRUE(shiftInsert);
    EXPECT_EQ(shiftInsert->key(), Qt::Key_Insert);
    EXPECT_EQ(shiftInsert->keyboardModifiers(), Qt::ShiftModifier);
    EXPECT_EQ(parseKeySpec(QStringLiteral("Tab"))->key(), Qt::Key_Tab);
    EXPECT_FALSE(parseKeySpec(QStringLiteral("Tab,Tab")));

    EXPECT_EQ(answerButton(QStringLiteral("YES")), QMessageBox::Yes);
    EXPECT_EQ(answerButton(QStringLiteral("OK")), QMessageBox::Ok);
    EXPECT_FALSE(answerButton(QStringLiteral("Retry")));

    const auto indexed = splitIndexedName(QStringLiteral("mLblDataBankruptcy(13)"));
    ASSERT_TRUE(indexed);
    EXPECT_EQ(indexed->base, QStringLiteral("mLblDataBankruptcy"));
    EXPECT_EQ(indexed->index, 13);
    EXPECT_FALSE(splitIndexedName(QStringLiteral("SSTab1")));
    EXPECT_FALSE(splitIndexedName(QStringLiteral("(3)")));

    EXPECT_EQ(displayedCaption(QStringLiteral("Se&l Cust")), QStringLiteral("Sel Cust"));
    EXPECT_EQ(displayedCaption(QStringLiteral("Account && Bankruptcy")),
              QStringLiteral("Account & Bankruptcy"));
}

}  // namespace
}  // namespace app
