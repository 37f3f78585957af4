// The dialog's text pipeline: token expansion and the message view (with
// link detection), on one dialog controller living for the whole run.
//
// Properties, for any UTF-8 text:
//  - a text without "@(" comes back unchanged; one holding a token of the
//    table comes back expanded; one with "@(" but no such token comes back
//    as nothing (the caller then shows it as it is);
//  - the message view shows " * " and the expanded text, character for
//    character except the separators a text document keeps as line breaks,
//    whatever links were detected; appending keeps the old text in front.
#include "AgentConfig.h"
#include "AppController.h"
#include "FuzzCheck.h"
#include "MessageTokens.h"
#include "StringTables.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {

struct Dialog
{
    std::unique_ptr<QTemporaryDir> root;
    std::unique_ptr<QApplication> application;
    std::unique_ptr<AppController> controller;
};

Dialog& TheDialog()
{
    static Dialog dialog = [] {
        Dialog made;
        made.root = std::make_unique<QTemporaryDir>(QDir::tempPath() + QStringLiteral("/vora-fuzz-XXXXXX"));
        setenv("VORA_AGENT_ROOT", made.root->path().toLocal8Bit().constData(), 1);
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        setenv("LANG", "en_US.UTF-8", 1);
        unsetenv("VEJBINSTANCE");
        const QString config = QString::fromStdString(AgentConfig().systemFilePath);
        QDir().mkpath(QFileInfo(config).path());
        QFile file(config);
        FUZZ_CHECK(file.open(QIODevice::WriteOnly) && file.write("companyname=Acme\n") > 0);
        file.close();

        static int argc = 1;
        static char name[] = "VUserAlert";
        static char* argv[] = {name, nullptr};
        made.application = std::make_unique<QApplication>(argc, argv);
        FUZZ_CHECK(InstallStringTables(*made.application, QStringLiteral("VUserAlert")) >= 1);
        made.controller = std::make_unique<AppController>(
            QStringList{QStringLiteral("VUserAlert"), QStringLiteral("-ok"), QStringLiteral("-name=fuzz")});
        made.controller->awakeFromNib();
        FUZZ_CHECK(!made.controller->isTerminating());
        return made;
    }();
    return dialog;
}

bool HasTableToken(const QString& text)
{
    for (const MessageToken& token : kMessageTokens) {
        if (text.contains(QLatin1String(token.token))) {
            return true;
        }
    }
    return false;
}

// What a text document gives back as plain text: its block and line
// separators ("\r\n", "\r", U+2028, U+2029 and the frame marks) become
// "\n", a no-break space a space.
QString AsPlainText(QString text)
{
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    for (QChar& c : text) {
        switch (c.unicode()) {
        case u'\r':
        case QChar::ParagraphSeparator:
        case QChar::LineSeparator:
        case 0xfdd0:
        case 0xfdd1:
            c = QLatin1Char('\n');
            break;
        case QChar::Nbsp:
            c = QLatin1Char(' ');
            break;
        default:
            break;
        }
    }
    return text;
}

QString Shown(AppController& controller, const QString& text)
{
    const QString prefixed = QStringLiteral(" * ") + text;
    return controller.expandTokens(prefixed).value_or(prefixed);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    AppController& controller = *TheDialog().controller;
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));

    const std::optional<QString> expanded = controller.expandTokens(text);
    if (!text.contains(QLatin1String("@("))) {
        FUZZ_CHECK(expanded == text);
    } else {
        FUZZ_CHECK(expanded.has_value() == HasTableToken(text));
    }

    controller.displayMessageText(text, false);
    const QString first = AsPlainText(Shown(controller, text));
    FUZZ_CHECK(controller.messageText() == first);

    const QString second = text.left(text.size() / 2);
    controller.displayMessageText(second, true);
    FUZZ_CHECK(controller.messageText() ==
               first + QLatin1Char('\n') + AsPlainText(Shown(controller, second)));
    return 0;
}
