// Key and text rules of the entry boxes, and the invalid-entry mark.
#include <QLabel>
#include <QLineEdit>

#include <gtest/gtest.h>

#include "platform/common/global_services.h"

namespace {

using platform::BackEndGlobalServices;

struct KeyCase {
    int key;
    bool officer, reference, currency;
};

// currency is asked with an empty box here; the one-decimal-point rule is tested below.
const KeyCase kKeys[] = {
    {'0', true, true, true},     {'9', true, true, true},    {'A', false, true, false},
    {'z', false, true, false},   {'-', false, true, true},   {'.', false, false, true},
    {'$', false, false, true},   {',', false, false, true},  {' ', false, false, false},
    {'\'', false, false, false}, {'_', false, false, false}, {'/', false, false, false},
    {8, true, true, true},       {22, true, true, true},     {3, true, true, true},
    {24, true, true, true},      {13, false, false, false},  {9, false, false, false},
    {0xE9, false, false, false},
};

TEST(KeyRules, EachKeyPassesExactlyTheRulesThatAllowIt) {
    BackEndGlobalServices services(nullptr, nullptr);
    QLineEdit box;
    for (const KeyCase& c : kKeys) {
        SCOPED_TRACE("key " + std::to_string(c.key));
        int key = c.key;
        EXPECT_EQ(services.IsOfficerKey(key), c.officer);
        EXPECT_EQ(key, c.officer ? c.key : 0) << "a refused key is discarded";
        key = c.key;
        EXPECT_EQ(services.IsReferenceKey(key), c.reference);
        EXPECT_EQ(key, c.reference ? c.key : 0);
        key = c.key;
        EXPECT_EQ(services.IsCurrencyKey(key, &box), c.currency);
        EXPECT_EQ(key, c.currency ? c.key : 0);
    }
}

TEST(KeyRules, ReferenceTextsAndTheCurrencyBoxsOneDecimalPoint) {
    BackEndGlobalServices services(nullptr, nullptr);
    for (const char* ok : {"2020BK0001", "ab-12-CD", ""}) EXPECT_TRUE(services.IsReferenceText(ok));
    for (const char* bad : {"2020 BK", "O'Brien", "12.5", "DROP--;", "caf\xC3\xA9", "TAB\t"}) {
        EXPECT_FALSE(services.IsReferenceText(bad)) << bad;
    }

    QLineEdit box;
    box.setText(QStringLiteral("12.50"));
    int key = '.';
    EXPECT_FALSE(services.IsCurrencyKey(key, &box));
    EXPECT_EQ(key, 0);
    box.setSelection(2, 3);  // ".50" selected: typing replaces it
    key = '.';
    EXPECT_TRUE(services.IsCurrencyKey(key, &box));
    box.setText(QStringLiteral("1250"));
    key = '.';
    EXPECT_TRUE(services.IsCurrencyKey(key, &box));
    key = '.';
    EXPECT_TRUE(services.IsCurrencyKey(key, nullptr));
}

TEST(InvalidMark, MarkShowsColourAndTipAndClearRestoresBoth) {
    BackEndGlobalServices services(nullptr, nullptr);
    QLineEdit box;
    box.setToolTip(QStringLiteral("Officer number"));
    const QColor normal = box.palette().color(QPalette::Base);

    services.MarkInvalid(&box);
    services.MarkInvalid(&box);  // twice: the first saved state must survive
    EXPECT_NE(box.palette().color(QPalette::Base), normal);
    EXPECT_EQ(box.toolTip(), QString::fromLatin1(platform::kInvalidToolTip));
    EXPECT_TRUE(box.property(platform::kInvalidProperty).toBool());

    services.ClearInvalid(&box);
    EXPECT_EQ(box.palette().color(QPalette::Base), normal);
    EXPECT_EQ(box.toolTip(), QStringLiteral("Officer number"));
    EXPECT_FALSE(box.property(platform::kInvalidProperty).toBool());
    EXPECT_FALSE(box.testAttribute(Qt::WA_SetPalette));

    // a palette the control had of its own is kept
    QLabel label;
    QPalette own = label.palette();
    own.setColor(QPalette::Window, QColor(10, 20, 30));
    label.setPalette(own);
    services.MarkInvalid(&label);
    EXPECT_TRUE(label.autoFillBackground());
    EXPECT_NE(label.palette().color(QPalette::Window), QColor(10, 20, 30));
    services.ClearInvalid(&label);
    EXPECT_EQ(label.palette().color(QPalette::Window), QColor(10, 20, 30));
    EXPECT_FALSE(label.autoFillBackground());
    services.ClearInvalid(nullptr);  // no control: nothing happens
}

}  // namespace
