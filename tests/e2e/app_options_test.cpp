// The program's command line: what goes together and what the options become.
#include <QCommandLineParser>

#include <gtest/gtest.h>

#include "app/app_options.h"

namespace app {
namespace {

struct Parsed {
    bool ok = false;
    AppOptions options;
    QString error;
};

Parsed parse(QStringList args) {
    args.prepend(QStringLiteral("halberon-bankruptcy"));
    QCommandLineParser parser;
    addAppOptions(parser);
    Parsed p;
    if (!parser.parse(args)) {
        p.error = parser.errorText();
        return p;
    }
    p.ok = readAppOptions(parser, p.options, &p.error);
    return p;
}

TEST(AppOptions, DefaultsOpenTheScreenAsTheManagerOnTheDefaultDatabase) {
    const Parsed p = parse({});
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(p.options.mode, RunMode::Interactive);
    EXPECT_EQ(p.options.user, QStringLiteral("manager"));
    EXPECT_TRUE(p.options.database.isEmpty());
    EXPECT_DOUBLE_EQ(p.options.stepTimeoutSeconds, kDefaultStepTimeoutSeconds);
}

TEST(AppOptions, ScriptTourFaultsAndFoldersAreRead) {
    Parsed p =
        parse({"--script", "a.scenario", "--out", "out", "--database", "postgresql://h/db",
               "--user", "officer", "--user-folder", "/tmp/u", "--fault", "CASES=drop", "--fault",
               "OPENARS=delay:50", "--step-timeout", "2.5", "--service-limit", "5"});
    ASSERT_TRUE(p.ok) << p.error.toStdString();
    EXPECT_EQ(p.options.mode, RunMode::Script);
    EXPECT_EQ(p.options.script, QStringLiteral("a.scenario"));
    EXPECT_EQ(p.options.outDir, QStringLiteral("out"));
    EXPECT_EQ(p.options.database, QStringLiteral("postgresql://h/db"));
    EXPECT_EQ(p.options.user, QStringLiteral("officer"));
    EXPECT_EQ(p.options.library.userFolder, QStringLiteral("/tmp/u"));
    EXPECT_EQ(p.options.library.faults, (QStringList{"CASES=drop", "OPENARS=delay:50"}));
    EXPECT_DOUBLE_EQ(p.options.stepTimeoutSeconds, 2.5);
    EXPECT_DOUBLE_EQ(p.options.library.serviceLimitSeconds, 5.0);

    p = parse({"--tour", "pictures"});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.options.mode, RunMode::Tour);
    EXPECT_EQ(p.options.outDir, QStringLiteral("pictures"));
    // The tour keeps its screen state out of the user's own folder unless told otherwise.
    EXPECT_EQ(p.options.library.userFolder, QStringLiteral("pictures/user"));
    p = parse({"--tour", "pictures", "--user-folder", "mine"});
    ASSERT_TRUE(p.ok);
    EXPECT_EQ(p.options.library.userFolder, QStringLiteral("mine"));
}

TEST(AppOptions, OptionsThatDoNotFitTogetherAreRefusedWithAReason) {
    for (const QStringList& args :
         {QStringList{"--script", "a", "--tour", "b"}, QStringList{"--out", "dir"},
          QStringList{"--user", " "}, QStringList{"--tour", "t", "--step-timeout", "0"},
          QStringList{"--service-limit", "soon"}, QStringList{"stray"}}) {
        const Parsed p = parse(args);
        EXPECT_FALSE(p.ok) << args.join(' ').toStdString();
        EXPECT_FALSE(p.error.isEmpty()) << args.join(' ').toStdString();
    }
}

}  // namespace
}  // namespace app
