#include "app/StartArguments.hpp"

#ifndef LATHWORK_VERSION
#define LATHWORK_VERSION "unknown"
#endif

namespace lathwork::app {

StartArguments ParseStartArguments(const QStringList& words)
{
    bool help = false;
    bool version = false;
    bool optionsEnded = false;
    QString error;
    QStringList files;
    for (const QString& word : words) {
        if (!optionsEnded && word == QLatin1String("--")) {
            optionsEnded = true;
        } else if (!optionsEnded && (word == QLatin1String("--help") || word == QLatin1String("-h"))) {
            help = true;
        } else if (!optionsEnded && (word == QLatin1String("--version") || word == QLatin1String("-v"))) {
            version = true;
        } else if (!optionsEnded && word.startsWith(QLatin1Char('-')) && word.size() > 1) {
            if (error.isEmpty()) {
                error = QStringLiteral("unknown option \"%1\"").arg(word);
            }
        } else {
            files << word;
        }
    }
    if (help) {
        return {StartArguments::Action::Help, {}, {}};
    }
    if (version) {
        return {StartArguments::Action::Version, {}, {}};
    }
    if (error.isEmpty() && files.size() > 1) {
        error = QStringLiteral("give at most one model file");
    }
    if (!error.isEmpty()) {
        return {StartArguments::Action::Error, {}, error};
    }
    return {StartArguments::Action::Run, files.value(0), {}};
}

QString StartHelp()
{
    return QStringLiteral(
        "Usage: lathwork [OPTION] [FILE]\n"
        "Edit OPT models: self-lit and see-through textures, animated texture sets, cloaking\n"
        "distances, texture extraction.\n"
        "\n"
        "With FILE (an .opt model), the window opens with the model's folder shown and the\n"
        "model chosen, ready to SCAN.\n"
        "\n"
        "Options:\n"
        "  -h, --help     show this help and exit\n"
        "  -v, --version  show the version and exit\n"
        "\n"
        "Exit status: 0 when the window was closed, 2 for a wrong command line.\n");
}

QString StartVersion() { return QStringLiteral("lathwork " LATHWORK_VERSION "\n"); }

} // namespace lathwork::app
