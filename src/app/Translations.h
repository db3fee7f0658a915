#pragma once
// The window's language. Its texts are Japanese in the sources; English comes from the
// catalogue compiled into the program. Qt's own texts (standard buttons, the pickers)
// follow: Japanese from Qt's catalogue, English as Qt has them.

#include <string_view>

class QCoreApplication;
class QLocale;

namespace qm {

class IRegistryBackend;

enum class UiLanguage { Japanese, English };

// The stored choice ("ja", "en"; anything else: none) or, without one, the system's
// language: Japanese for Japanese, English for any other.
UiLanguage ChooseLanguage(std::u16string_view stored, const QLocale& system);

// The preference values the language menu stores; empty follows the system.
inline constexpr std::u16string_view kLanguageJapanese = u"ja";
inline constexpr std::u16string_view kLanguageEnglish = u"en";

// The language a start uses: the choice stored in the tool's settings, else the system's.
UiLanguage StartupLanguage(IRegistryBackend& registry, const QLocale& system);

// Replaces the catalogues installed by an earlier call. False when a catalogue is not
// there (Qt's Japanese one is an optional package): the texts it holds stay as in the
// sources.
bool InstallTranslations(QCoreApplication& app, UiLanguage language);

UiLanguage CurrentLanguage();

}  // namespace qm
