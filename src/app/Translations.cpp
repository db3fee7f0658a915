#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>
#include <memory>
#include <vector>

#include "settings/ToolPreferences.h"

namespace qm {

namespace {

std::vector<std::unique_ptr<QTranslator>>& Installed() {
    static std::vector<std::unique_ptr<QTranslator>> translators;
    return translators;
}

UiLanguage& Current() {
    static UiLanguage language = UiLanguage::Japanese;
    return language;
}

}  // namespace

UiLanguage ChooseLanguage(std::u16string_view stored, const QLocale& system) {
    if (stored == kLanguageJapanese) return UiLanguage::Japanese;
    if (stored == kLanguageEnglish) return UiLanguage::English;
    return system.language() == QLocale::Japanese ? UiLanguage::Japanese : UiLanguage::English;
}

UiLanguage StartupLanguage(IRegistryBackend& registry, const QLocale& system) {
    return ChooseLanguage(LoadLanguagePreference(registry), system);
}

bool InstallTranslations(QCoreApplication&, UiLanguage language) {
    for (auto& translator : Installed()) QCoreApplication::removeTranslator(translator.get());
    Installed().clear();
    Current() = language;
    auto translator = std::make_unique<QTranslator>();
    bool loaded = false;
    if (language == UiLanguage::Japanese) {
        // Every text of Qt's that the window shows is in qtbase's catalogue ("qt_ja" would
        // load the catalogue of every Qt module installed as well).
        loaded = translator->load(QLocale(QLocale::Japanese, QLocale::Japan),
                                  QStringLiteral("qtbase"), QStringLiteral("_"),
                                  QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    } else {
        loaded = translator->load(QStringLiteral(":/quillmor/i18n/quillmor_en.qm"));
    }
    if (!loaded || !QCoreApplication::installTranslator(translator.get())) return false;
    Installed().push_back(std::move(translator));
    return true;
}

UiLanguage CurrentLanguage() {
    return Current();
}

}  // namespace qm
