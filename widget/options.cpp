#include "widget/options.h"

#include "common/container.h"

using namespace Qt::StringLiterals;

namespace {

// Beyond this a render of the medium widget passes 10 MB.
constexpr qreal maxScale = 8;

Options refused(const QString& why) {
    Options o;
    o.error = why;
    return o;
}

} // namespace

const Help& help() {
    static const Help h{
        u"tarnwick-widget"_s,
        u"Ping i prędkość łącza."_s,
        {
            {u"--size"_s, u"small|medium"_s, u"widżet na pulpicie w tym rozmiarze (bez opcji: small)"_s},
            {u"--render"_s, u"small|medium PLIK.png"_s, u"rysuje widżet raz do pliku PNG"_s},
            {u"--placeholder"_s, {}, u"z --render: przykładowe liczby zamiast zapisanych"_s},
            {u"--scale"_s, u"N"_s, u"z --render: N pikseli na punkt, od 1 do 8 (ekrany HiDPI; bez opcji: 1)"_s},
            {u"--dark"_s, {}, u"z --render: ciemny wygląd zamiast barw pulpitu"_s},
            {u"--status"_s, {}, u"jedna linia JSON dla paska stanu (waybar, polybar, i3blocks)"_s},
            {u"--help"_s, {}, u"ta pomoc"_s},
        },
        {
            {u"~/.local/share/"_s + QLatin1StringView(appGroupId) + u"/snapshot.json"_s,
             u"wyniki zapisane przez program tarnwick (tylko odczyt)"_s},
            {u"~/.config/Tarnwick/Widget.conf"_s, u"miejsce widżetu na pulpicie"_s},
        },
        {{0, u"zakończony"_s}, {1, u"--render nie mógł zapisać pliku"_s}},
    };
    return h;
}

Options parseOptions(const QStringList& args) {
    const CommandLine c = readCommandLine(args, help().switches);
    if (!c.error.isEmpty())
        return refused(c.error);
    Options o;
    if (c.has(u"--help"_s)) {
        o.mode = Options::Mode::Help;
        return o;
    }
    if (c.has(u"--status"_s) && c.has(u"--render"_s))
        return refused(u"--status nie idzie w parze z --render"_s);
    if (c.has(u"--size"_s) && c.has(u"--render"_s))
        return refused(u"--size nie idzie w parze z --render (--render ma własny rozmiar)"_s);
    for (const QString& name : {u"--placeholder"_s, u"--scale"_s, u"--dark"_s}) {
        if (c.has(name) && !c.has(u"--render"_s))
            return refused(name + u" działa tylko z --render"_s);
    }
    for (const QString& name : {u"--size"_s, u"--render"_s}) {
        if (!c.has(name))
            continue;
        const auto family = familyNamed(c.value(name));
        if (!family)
            return refused(u"nieznany rozmiar: "_s + name + u' ' + c.value(name) + u" (small albo medium)"_s);
        o.family = *family;
    }
    if (c.has(u"--render"_s)) {
        o.mode = Options::Mode::Render;
        o.file = c.given.value(u"--render"_s).value(1);
        o.placeholder = c.has(u"--placeholder"_s);
        o.dark = c.has(u"--dark"_s);
        if (c.has(u"--scale"_s)) {
            bool ok = false;
            o.scale = c.value(u"--scale"_s).toDouble(&ok);
            if (!ok || !(o.scale >= 1 && o.scale <= maxScale))
                return refused(u"--scale "_s + c.value(u"--scale"_s) + u": liczba od 1 do 8"_s);
        }
    } else if (c.has(u"--status"_s)) {
        o.mode = Options::Mode::Status;
    }
    return o;
}
