#include "UsageWithoutDisplay.h"

#include "VUAConfig.h"
#include "VUAOptions.h"

#include <QLocale>
#include <QTranslator>

namespace {

// The panel's texts come from the string tables compiled into the program;
// no application object exists to install them, so they are read directly:
// the user's language first, then English.
class PanelStrings final
{
public:
    PanelStrings()
    {
        const QString language = QLocale().name().section(QLatin1Char('_'), 0, 0);
        m_hasUser = m_user.load(QStringLiteral(":/i18n/VUserAlert_%1.qm").arg(language));
        if (!m_english.load(QStringLiteral(":/i18n/VUserAlert_en.qm"))) {
            std::fprintf(stderr, "VUserAlert: no English string table; the usage shows its keys\n");
        }
    }

    std::string text(const char* key) const
    {
        QString found = m_hasUser ? m_user.translate(nullptr, key) : QString();
        if (found.isEmpty()) {
            found = m_english.translate(nullptr, key);
        }
        return found.isEmpty() ? std::string(key) : found.toStdString();
    }

private:
    QTranslator m_user;
    QTranslator m_english;
    bool m_hasUser = false;
};

} // namespace

bool WriteUsageWithoutDisplay(const std::vector<std::string>& arguments, std::FILE* out)
{
    // "-vcrash" alone makes the parser crash on purpose; it asks for no panel.
    if (arguments.size() == 2 && arguments[1] == kVUA_Crash) {
        return false;
    }
    std::vector<std::string> parsed = arguments;
    VUAConfig config;
    const char* title = nullptr;
    const char* prefix = nullptr; // before the usage, as on the panel
    switch (ParseCommandLineArgs(parsed, &config)) {
    case kParseMissingParameters:
        title = "ERROR_MISSINGPARAMS";
        break;
    case kParseUsageRequested:
        title = "ERROR_USAGE";
        break;
    case kParseUnknownParameter:
        title = "ERROR_INVALIDPARAMETER";
        prefix = "ERROR_UNKNOWNPARAMETER";
        break;
    default:
        return false;
    }
    const PanelStrings strings;
    const std::string usage = BuildUsageString(prefix != nullptr ? strings.text(prefix) : std::string());
    std::fprintf(out, "%s\n\n%s\n", strings.text(title).c_str(), usage.c_str());
    std::fflush(out);
    return true;
}
