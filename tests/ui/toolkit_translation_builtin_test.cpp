// The toolkit's Russian texts where the system has none: the copy built into the program serves. In the Windows
// suites too, where the static toolkit has no translations folder at all.
#include "ui/ToolkitTranslation.h"

#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(ToolkitTranslation, TheBuiltInCopyServesWhereTheSystemHasNone) {
    int argc = 1;
    char name[] = "toolkit_translation_builtin_test";
    char* argv[] = {name, nullptr};
    QCoreApplication application(argc, argv);
    if (!QFile::exists(QStringLiteral(":/translations/qtbase_ru.qm")))
        GTEST_SKIP() << "built without qtbase_ru.qm (package qt6-translations-l10n)";
#ifdef _WIN32
    // As the program loads it: the folder the toolkit was built for is not on this system.
    const ui::TToolkitTranslation source = ui::LoadToolkitTranslation(application);
#else
    const QTemporaryDir noTranslations;
    const ui::TToolkitTranslation source = ui::LoadToolkitTranslation(application, noTranslations.path());
#endif
    ASSERT_EQ(source, ui::TToolkitTranslation::BuiltIn);
    EXPECT_EQ(QCoreApplication::translate("QPlatformTheme", "&Yes"), QStringLiteral("&Да"));
}
