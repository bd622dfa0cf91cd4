#include "commandline.h"

#include <array>
#include <string_view>

namespace {

struct ToolkitOption
{
    std::string_view name;   // without the leading dash
    bool takesValue;         // the next argument is its value
    bool joinedValue;        // written as -name=value (only so, when it takes no next value)
};

// The options the application and its platform plugins read from the command line.
constexpr std::array toolkitOptions{
    ToolkitOption{"platform", true, false},        ToolkitOption{"platformpluginpath", true, false},
    ToolkitOption{"platformtheme", true, false},   ToolkitOption{"plugin", true, false},
    ToolkitOption{"qwindowgeometry", true, false}, ToolkitOption{"qwindowicon", true, false},
    ToolkitOption{"qwindowtitle", true, false},    ToolkitOption{"session", true, false},
    ToolkitOption{"display", true, false},         ToolkitOption{"geometry", true, false},
    ToolkitOption{"title", true, false},           ToolkitOption{"icon", true, false},
    ToolkitOption{"name", true, false},            ToolkitOption{"visual", true, false},
    ToolkitOption{"ncols", true, false},           ToolkitOption{"style", true, true},
    ToolkitOption{"stylesheet", true, true},       ToolkitOption{"qmljsdebugger", false, true},
    ToolkitOption{"reverse", false, false},        ToolkitOption{"widgetcount", false, false},
    ToolkitOption{"testability", false, false},    ToolkitOption{"nograb", false, false},
    ToolkitOption{"dograb", false, false},         ToolkitOption{"cmap", false, false},
};

// The program's own options that take their value as the next argument.
constexpr std::array ownOptionsWithValue{std::string_view("--export-csv"), std::string_view("--export-ics")};

enum class Match { None, Alone, WithValue };

Match matchToolkitOption(std::string_view argument)
{
    if (argument.size() < 2 || argument[0] != '-')
        return Match::None;
    std::string_view name = argument.substr(argument.starts_with("--") ? 2 : 1);
    for (const ToolkitOption &option : toolkitOptions) {
        const bool joinedOnly = option.joinedValue && !option.takesValue;
        if (name == option.name && !joinedOnly)
            return option.takesValue ? Match::WithValue : Match::Alone;
        if (option.joinedValue && name.starts_with(option.name) && name.size() > option.name.size()
            && name[option.name.size()] == '=')
            return Match::Alone;
    }
    return Match::None;
}

} // namespace

CommandLineSplit splitCommandLine(const QByteArrayList &arguments)
{
    CommandLineSplit split;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const std::string_view argument(arguments[i].constData(), std::size_t(arguments[i].size()));
        if (argument == "--") {
            split.own << arguments.mid(i);
            break;
        }
        const Match match = matchToolkitOption(argument);
        if (match == Match::None) {
            split.own << arguments[i];
            // The value of one of our own options stays with it, whatever it looks like.
            for (std::string_view option : ownOptionsWithValue)
                if (argument == option && i + 1 < arguments.size())
                    split.own << arguments[++i];
            continue;
        }
        split.toolkit << arguments[i];
        if (match == Match::WithValue && i + 1 < arguments.size())
            split.toolkit << arguments[++i];
    }
    return split;
}

ArgumentVector::ArgumentVector(const char *program, const QByteArrayList &arguments)
    : m_storage(QByteArrayList{QByteArray(program)} + arguments)
{
    for (QByteArray &argument : m_storage)
        m_argv.push_back(argument.data());
    m_argc = int(m_storage.size());
    m_argv.push_back(nullptr);
}
