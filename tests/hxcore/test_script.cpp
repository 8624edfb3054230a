#include "hxcore/hxscript.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

namespace {

QByteArray readAll(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray("<unreadable>");
    return file.readAll();
}

} // namespace

TEST(HxScript, LinesAndCodeCollectInOrderWithTabsAndLineBreaks)
{
    HxScript script;
    EXPECT_TRUE(script.isEmpty());
    script.addLine("if( o != undefined ) {", 0);
    script.addLine("o.set( true )", 1);
    script.addLine("deeper", 3);
    script.addLine("clamped", -2);
    script.addLine("", 2);
    script.addCode("\t\t\"A\"");
    script.addCode(",\n");
    script.addLine("}\n");
    EXPECT_EQ(script.text(), QString("if( o != undefined ) {\n"
                                     "\to.set( true )\n"
                                     "\t\t\tdeeper\n"
                                     "clamped\n"
                                     "\t\t\n"
                                     "\t\t\"A\",\n"
                                     "}\n\n"));
    script.clear();
    EXPECT_TRUE(script.isEmpty());
}

TEST(HxScript, SavesUtf8TextAndAnOptionalHeader)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    HxScript script("preset");
    EXPECT_EQ(script.getName(), "preset");
    script.addLine(QString::fromUtf8("var s = \"Grüße\";"), 1);

    const QString plain = dir.filePath("plain.js");
    EXPECT_EQ(script.saveToFile(plain, HxScript::PlainText, "Kinetor Preset"), 0);
    EXPECT_EQ(readAll(plain), QByteArray("\tvar s = \"Gr\xC3\xBC\xC3\x9F"
                                         "e\";\n"));

    // A line break in the description must not turn the rest of it into code.
    const QString headed = dir.filePath("headed.js");
    EXPECT_EQ(script.saveToFile(headed, HxScript::WithHeader, "Kinetor\nPreset"), 0);
    EXPECT_EQ(readAll(headed), QByteArray("// Kinetor Preset\n\tvar s = \"Gr\xC3\xBC\xC3\x9F"
                                          "e\";\n"));

    // Saving again replaces the file rather than appending to it.
    script.clear();
    script.addCode("x");
    EXPECT_EQ(script.saveToFile(plain, HxScript::PlainText, QString()), 0);
    EXPECT_EQ(readAll(plain), QByteArray("x"));
}

TEST(HxScript, FailedSavesReportAndLeaveTheOldFileAlone)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString target = dir.filePath("state.js");
    {
        QFile old(target);
        ASSERT_TRUE(old.open(QIODevice::WriteOnly));
        old.write("previous contents\n");
    }
    HxScript script;
    script.addLine("replacement", 0);

    EXPECT_EQ(script.saveToFile(QString(), HxScript::PlainText, "d"), HxScript::BadFileName);
    EXPECT_EQ(script.saveToFile(target, 7, "d"), HxScript::BadMode);
    EXPECT_FALSE(script.errorString().isEmpty());
    EXPECT_EQ(readAll(target), QByteArray("previous contents\n"));

    // A folder that cannot exist: its parent is a plain file.
    EXPECT_NE(script.saveToFile(target + "/inside.js", HxScript::PlainText, "d"), 0);
    EXPECT_TRUE(script.errorString().contains("inside.js"));
    EXPECT_NE(script.saveToFile(dir.path(), HxScript::PlainText, "d"), 0);

    // A write that fails half way (the file size limit works even for root)
    // must neither touch the old file nor leave a temporary file behind.
    const QString big(64 * 1024, QLatin1Char('x'));
    HxScript bigScript;
    bigScript.addCode(big);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 1024;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const int status = bigScript.saveToFile(target, HxScript::PlainText, "d");
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previousHandler);
    EXPECT_NE(status, 0);
    EXPECT_EQ(readAll(target), QByteArray("previous contents\n"));
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files), QStringList{"state.js"});
}
