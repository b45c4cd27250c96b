// The page scripts compiled into the program: every file of res/pagescripts
// is in the resources, and each script has the placeholders its caller fills.
#include <gtest/gtest.h>

#include <QDir>
#include <QRegularExpression>
#include <QStringList>

#include <algorithm>

#include <set>
#include <string>
#include <utility>

#include "view/pagescripts.h"

namespace {

std::set<std::string> Names(const QDir& dir) {
    std::set<std::string> names;
    for (const QString& name : dir.entryList({QStringLiteral("*.js")}, QDir::Files)) names.insert(name.toStdString());
    return names;
}

// The highest "%N" of a script (QString::arg fills the lowest first, so a
// gap or an extra one puts a caller's value in the wrong place).
int HighestPlaceholder(const QString& text, std::set<int>* all) {
    int highest = 0;
    QRegularExpressionMatchIterator it = QRegularExpression(QStringLiteral("%(\\d+)")).globalMatch(text);
    while (it.hasNext()) {
        const int n = it.next().captured(1).toInt();
        all->insert(n);
        highest = std::max(highest, n);
    }
    return highest;
}

}  // namespace

TEST(PageScripts, EveryScriptFileIsCompiledIn) {
    // A file added to the folder but not to the build's list would be
    // missing only when its page command runs.
    const std::set<std::string> onDisk = Names(QDir(QStringLiteral(PAGORA_SOURCE_DIR "/res/pagescripts")));
    const std::set<std::string> compiled = Names(QDir(QStringLiteral(":/pagescripts")));
    EXPECT_FALSE(onDisk.empty());
    EXPECT_EQ(onDisk, compiled);
}

TEST(PageScripts, EachHasThePlaceholdersItsCallerFills) {
    const std::pair<const char*, int> scripts[] = {
        {"body-text", 0},      {"document-html", 0},  {"first-screen", 0},         {"scroll-offsets", 0},
        {"table-heights", 0},  {"scroll-to", 2},      {"scroll-by", 2},            {"place-offsets", 3},
        {"scroll-glide", 2},   {"text-spot", 0},      {"spot-offset", 3},          {"text-start", 1},
        {"window-close", 1},   {"own-background", 2}, {"own-background-rule", 2},
    };
    for (const auto& [name, count] : scripts) {
        SCOPED_TRACE(name);
        const QString text = PageScript(name);
        ASSERT_FALSE(text.isEmpty());
        // The line break that ends the file is not part of the script.
        EXPECT_FALSE(text.endsWith(QLatin1Char('\n')));
        std::set<int> all;
        EXPECT_EQ(HighestPlaceholder(text, &all), count);
        EXPECT_EQ(static_cast<int>(all.size()), count);  // %1..%count, none missing
    }
}
