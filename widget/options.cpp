#include "widget/options.h"

using namespace Qt::StringLiterals;

const char* const usage = "Usage:\n"
                          "  tarnwick-widget [--size small|medium]   show the widget on the desktop\n"
                          "  tarnwick-widget --render small|medium FILE.png [--placeholder]\n"
                          "                                          draw the widget once into a PNG file\n"
                          "  tarnwick-widget --status                print one line of JSON for a status bar\n";

namespace {

// Help, with the reason when the command line was not understood.
Options help(const QString& why) {
    Options o;
    o.mode = Options::Mode::Help;
    o.error = why;
    return o;
}

} // namespace

Options parseOptions(const QStringList& args) {
    Options o;
    bool sized = false;
    for (qsizetype i = 0; i < args.size(); ++i) {
        QString arg = args[i];
        std::optional<QString> inlineValue;
        if (const qsizetype eq = arg.indexOf(u'='); arg.startsWith("--"_L1) && eq > 0) {
            inlineValue = arg.mid(eq + 1);
            arg.truncate(eq);
        }
        const auto value = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (i + 1 < args.size())
                return args[++i];
            return std::nullopt;
        };
        if (arg == "--help"_L1 || arg == "-h"_L1)
            return help(QString());
        if (arg == "--status"_L1) {
            o.mode = Options::Mode::Status;
        } else if (arg == "--placeholder"_L1) {
            o.placeholder = true;
        } else if (arg == "--size"_L1 || arg == "--render"_L1) {
            const auto name = value();
            const auto family = name ? familyNamed(*name) : std::nullopt;
            if (!family)
                return help(arg + u" needs small or medium"_s);
            o.family = *family;
            if (arg == "--render"_L1) {
                if (i + 1 >= args.size() || args[i + 1].startsWith(u'-'))
                    return help(u"--render needs the PNG file to write"_s);
                o.file = args[++i];
                o.mode = Options::Mode::Render;
            } else {
                sized = true;
            }
        } else if (arg.startsWith("--"_L1)) {
            return help(u"unknown option "_s + arg);
        }
    }
    if (o.placeholder && o.mode != Options::Mode::Render)
        return help(u"--placeholder belongs to --render"_s);
    if (sized && o.mode != Options::Mode::Show)
        return help(u"--size is for the desktop widget; --render names its own size"_s);
    return o;
}
