// The toolkit's own texts in a started program: a real question box, loaded as the program loads
// the translation, answers in Russian and is wide enough for its caption.
#include "ui/ToolkitTranslation.h"
#include "ui/UiLayer.h"

#include <QAbstractButton>
#include <QApplication>
#include <QFile>
#include <QFontMetrics>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QTemporaryDir>
#include <QTimer>
#include <gtest/gtest.h>

TEST(ToolkitTranslation, QuestionBoxAnswersInRussianUnderItsWholeCaption) {
    if (!QFile::exists(QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ru.qm")))
        GTEST_SKIP() << "qtbase_ru.qm is not installed (package qt6-translations-l10n)";
    ASSERT_EQ(ui::LoadToolkitTranslation(*QCoreApplication::instance()), ui::TToolkitTranslation::System);

    const QString caption = QStringLiteral("Хранить пароль не безопасно");
    QStringList texts;
    int width = 0;
    int ticks = 0;
    QTimer reader; // armed before the box opens: its exec returns only when the box closes
    reader.setInterval(20);
    QObject::connect(&reader, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) {
            if (++ticks > 250) { // 5 s without a modal box: close whatever box is up so that exec returns
                reader.stop();
                for (QWidget* window : QApplication::topLevelWidgets())
                    if (auto* other = qobject_cast<QMessageBox*>(window))
                        other->reject();
            }
            return;
        }
        reader.stop();
        for (QAbstractButton* button : box->buttons())
            texts << button->text().remove(u'&');
        width = box->width();
        box->button(QMessageBox::No)->click();
    });
    reader.start();
    const ui::MsgButton answer = ui::MessageBox(nullptr, QStringLiteral("Сохранить пароль?"), caption,
                                                ui::MsgIcon::Warning, ui::Yes | ui::No | ui::Cancel, ui::No);
    EXPECT_EQ(answer, ui::No);
    texts.sort();
    EXPECT_EQ(texts, (QStringList{QStringLiteral("Да"), QStringLiteral("Нет"), QStringLiteral("Отмена")}));

    QFont titleFont = QApplication::font();
    titleFont.setBold(true);
    EXPECT_GE(width, QFontMetrics(titleFont).horizontalAdvance(caption) + 96); // three title bar buttons beside it
}
