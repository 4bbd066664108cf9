// Pictures of the document on each tab with a customer's data, for looking at the layout. They
// are written when HALBERON_SCREENSHOT_DIR names a folder.

#include <QDir>
#include <QPixmap>

#include "document_fixture.h"

namespace document_testing {
namespace {

TEST_F(DocumentTest, EachTabRendersWithTheCustomersData) {
    backEnd->ars["1002"] = {};
    for (int i = 0; i < 14; ++i) {
        backEnd->ars["1002"].push_back({Value(std::int64_t{4100 + i * 37}), i % 10,
                                        i % 3 ? "FEE" : "TX", 2022 + i % 3, 1 + i % 12, 1 + i % 27,
                                        ""});
    }
    backEnd->cases["1002"] = {{"BK-2019-0042", "D", 2019, 4, 2, "Miriam Holt", "5035550142", ""},
                              {"BK-2023-0815", "O", 2023, 8, 15, "Ada Trustee", "5035550199", ""},
                              {"BK-2021-0007", "W", 2021, 1, 7, "Grant Lowe", "5550107", ""}};
    open();
    doc->resize(960, 620);
    ASSERT_TRUE(selectAndWait("1002"));
    tabs()->setCurrentIndex(1);
    clickSelector(grid(KORVA_Bankruptcy::ars), 2);
    typeOfficer("101");
    tabs()->setCurrentIndex(2);
    clickSelector(grid(KORVA_Bankruptcy::FILINGS), 1);

    const QString dir = qEnvironmentVariable("HALBERON_SCREENSHOT_DIR");
    for (int tab = 0; tab < 3; ++tab) {
        tabs()->setCurrentIndex(tab);
        QApplication::processEvents();
        const QPixmap picture = doc->grab();
        ASSERT_FALSE(picture.isNull());
        EXPECT_GE(picture.width(), 900);
        if (!dir.isEmpty()) {
            EXPECT_TRUE(
                picture.save(QDir(dir).filePath(QStringLiteral("document-tab%1.png").arg(tab))));
        }
    }
    EXPECT_EQ(grid(KORVA_Bankruptcy::ars).Rows(), 14);
    EXPECT_EQ(grid(KORVA_Bankruptcy::FILINGS).CellText(1, "Case Number"), "BK-2021-0007");
}

}  // namespace
}  // namespace document_testing
