#include "options/WaylandOptions.hpp"

#include "options/DelaySetting.hpp"
#include "options/OptionReader.hpp"
#include "options/SeedSetting.hpp"

WaylandOptions WaylandOptions::parse(std::vector<std::string> arguments)
{
    WaylandOptions options;
    OptionReader reader(std::move(arguments), OptionReader::Dashes::Two);
    while (auto name = reader.next()) {
        if (*name == "background") {
            reader.noValue();
            options.background = true;
        } else if (*name == "fps") {
            reader.noValue();
            options.showFps = true;
        } else if (*name == "seed") {
            reader.once();
            options.seed = reader.value(SeedSetting::parse, SeedSetting::expected);
        } else if (*name == "delay") {
            reader.once();
            options.delay = reader.value(DelaySetting::parse, DelaySetting::expected);
        } else if (*name == "scale") {
            reader.once();
            options.scale = reader.value(ScaleSetting::parse, ScaleSetting::expected);
        } else if (*name == "help") {
            reader.noValue();
            options.action = Action::ShowHelp;
        } else if (*name == "version") {
            reader.noValue();
            options.action = Action::ShowVersion;
        } else {
            reader.unknown();
        }
    }
    return options;
}

const char* WaylandOptions::synopsis()
{
    return "vorpi-wayland [--background] [--seed S] [--delay USEC] [--scale S|auto] [--fps] [--help] [--version]";
}

const char* WaylandOptions::help()
{
    return "Drifting tentacled creatures over every output of a Wayland desktop that offers\n"
           "wlr-layer-shell (sway, Hyprland, Wayfire, river, labwc, niri, KDE Plasma).\n"
           "A screen saver: a key, a button, a touch or a move of the pointer ends it.\n"
           "\n"
           "  --background     an animated wallpaper instead: behind every window, input\n"
           "                   passes through, and only a signal ends it\n"
           "  --seed S         the first output starts from seed S (0..4294967295), the\n"
           "                   next from S+1, and so on; fresh each run by default\n"
           "  --delay USEC     at least USEC microseconds from one frame to the next (at\n"
           "                   most 30 frames a second whatever it says); the creatures\n"
           "                   move as far each frame, so a long delay slows them down\n"
           "  --scale S        pixels per point, 1 to 4, or auto (the default): each\n"
           "                   output's own scale\n"
           "  --fps            print frames per second and the CPU load every second\n"
           "  --help           show this help\n"
           "  --version        show the version\n"
           "\n"
           "SIGTERM, SIGINT or SIGHUP end it.\n";
}
