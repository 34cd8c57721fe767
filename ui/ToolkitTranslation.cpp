#include "ui/ToolkitTranslation.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace ui {

TToolkitTranslation LoadToolkitTranslation(QCoreApplication& application) {
    return LoadToolkitTranslation(application, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
}

TToolkitTranslation LoadToolkitTranslation(QCoreApplication& application, const QString& systemFolder) {
    auto* translator = new QTranslator(&application); // lives as long as the texts it translates
    TToolkitTranslation source = TToolkitTranslation::None;
    if (translator->load(QStringLiteral("qtbase_ru"), systemFolder))
        source = TToolkitTranslation::System;
    else if (translator->load(QStringLiteral(":/translations/qtbase_ru.qm")))
        source = TToolkitTranslation::BuiltIn;
    if (source == TToolkitTranslation::None || !QCoreApplication::installTranslator(translator)) {
        delete translator;
        return TToolkitTranslation::None;
    }
    return source;
}

} // namespace ui
