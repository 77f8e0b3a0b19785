// Writes veltra-cli's manual page and its bash completion from the program's own command line,
// so that neither can miss or misspell an option when options change.
//   veltra_cli_docs man TEMPLATE DATE OUT   the manual page: TEMPLATE with @VERSION@, @DATE@,
//                                           @OPTIONS@ and @COMMANDS@ filled in
//   veltra_cli_docs bash OUT                the completion script
#include <CLI/CLI.hpp>
#include <fstream>
#include <iostream>
#include <map>
#include <sstream>

#include "cli/CommandLine.h"
#include "core/Version.h"

namespace {

using Words = std::map<std::string, std::vector<std::string>>;

std::string roff(const std::string& text) {
    std::string out;
    for (char c : text) {
        out += c == '-' ? "\\-" : c == '\\' ? "\\e" : std::string(1, c);
    }
    return out;
}

std::string joined(const std::vector<std::string>& words, const std::string& separator) {
    std::string out;
    for (const std::string& word : words) {
        out += (out.empty() ? "" : separator) + word;
    }
    return out;
}

bool takesValue(const CLI::Option& option) {
    return option.get_items_expected_max() > 0;
}

// A short list names its words in place of the value; a long one is summed up after the text.
constexpr std::size_t ShortList = 4;

// CLI11 names a value by its type and range: "INT:INT in [0 - 255]".
std::string valueName(const CLI::Option& option, const std::vector<std::string>* words) {
    if (words && words->size() <= ShortList) {
        return roff(joined(*words, "|"));
    }
    const std::string type = option.get_type_name();
    return type.substr(0, type.find_first_of(": "));
}

std::string valueNote(const CLI::Option& option, const std::vector<std::string>* words) {
    if (words && words->size() > ShortList) {
        return "one of " + std::to_string(words->size()) + " entries, from " + words->front() +
               " to " + words->back();
    }
    const std::string type = option.get_type_name();
    const auto open = type.find(" in [");
    const auto dash = type.find(" - ", open);
    if (open == std::string::npos || dash == std::string::npos) {
        return {};
    }
    const auto from = open + 5;
    return type.substr(from, dash - from) + " to " +
           type.substr(dash + 3, type.find(']', dash) - dash - 3);
}

bool isHelp(const CLI::App& app, const CLI::Option* option) {
    return option == app.get_help_ptr() || option == app.get_help_all_ptr();
}

// Options and commands that the help shows; those in no group are hidden from it.
std::vector<const CLI::Option*> shownOptions(const CLI::App& app) {
    return app.get_options([](const CLI::Option* option) { return !option->get_group().empty(); });
}

std::vector<const CLI::App*> shownCommands(const CLI::App& app) {
    return app.get_subcommands(
        [](const CLI::App* command) { return !command->get_group().empty(); });
}

std::string optionItems(const CLI::App& app, const Words& words, bool withHelp) {
    std::ostringstream out;
    for (const CLI::Option* option : shownOptions(app)) {
        if (!withHelp && isHelp(app, option)) {
            continue;
        }
        const auto list = words.find(option->get_name());
        const std::vector<std::string>* listWords = list == words.end() ? nullptr : &list->second;
        out << ".TP\n";
        if (option->get_positional()) {
            out << "\\fI" << roff(option->get_name(true)) << "\\fR\n";
        } else {
            std::vector<std::string> names = option->get_snames();
            for (std::string& name : names) {
                name = "-" + name;
            }
            for (const std::string& name : option->get_lnames()) {
                names.push_back("--" + name);
            }
            out << "\\fB" << roff(joined(names, ", ")) << "\\fR";
            if (takesValue(*option)) {
                out << " \\fI" << valueName(*option, listWords) << "\\fR";
            }
            out << "\n";
        }
        const std::string text = option->get_description();
        const std::string note = valueNote(*option, listWords);
        out << roff(text + (text.empty() || note.empty() ? "" : "; ") + note) << "\n";
    }
    return out.str();
}

// A command's section, and one for each of its own subcommands ("audit verify").
void commandSection(std::ostream& out, const CLI::App& command, const std::string& name,
                    const Words& words) {
    const auto children = shownCommands(command);
    std::string usage = "\\fBveltra\\-cli " + roff(name) + "\\fR " +
                        (children.empty() ? "[\\fIOPTIONS\\fR]" : "\\fICOMMAND\\fR");
    for (const CLI::Option* option : shownOptions(command)) {
        if (option->get_positional()) {
            const std::string positional = "\\fI" + roff(option->get_name(true)) + "\\fR";
            usage += " " + (option->get_required() ? positional : "[" + positional + "]");
        }
    }
    out << ".SS \"" << roff(name) << "\"\n"
        << usage << "\n.PP\n"
        << roff(command.get_description()) << ".\n"
        << optionItems(command, words, false);
    for (const CLI::App* child : children) {
        commandSection(out, *child, name + " " + child->get_name(), words);
    }
}

std::string commandSections(const CLI::App& app, const Words& words) {
    std::ostringstream out;
    for (const CLI::App* command : shownCommands(app)) {
        commandSection(out, *command, command->get_name(), words);
    }
    return out.str();
}

void replace(std::string& text, const std::string& marker, const std::string& by) {
    if (const auto at = text.find(marker); at != std::string::npos) {
        text.replace(at, marker.size(), by);
    }
}

int writeManual(std::ostream& out, const CLI::App& app, const Words& words,
                const char* templatePath, const std::string& date) {
    std::ifstream in(templatePath);
    std::stringstream page;
    page << in.rdbuf();
    if (!in) {
        std::cerr << "veltra_cli_docs: cannot read " << templatePath << "\n";
        return 1;
    }
    std::string text = page.str();
    replace(text, "@VERSION@", veltra::VersionText);
    replace(text, "@DATE@", date);
    replace(text, "@OPTIONS@", optionItems(app, words, true));
    replace(text, "@COMMANDS@", commandSections(app, words));
    out << text;
    return 0;
}

// Words for compgen -W: option names and list entries, which hold no quote or space.
std::string quotedWords(const std::vector<std::string>& words) {
    return "'" + joined(words, " ") + "'";
}

// Options as completion words: their names, and those that take a value.
void namesOf(const CLI::App& app, std::vector<std::string>& names,
             std::vector<std::string>& valued) {
    for (const CLI::Option* option : shownOptions(app)) {
        for (const std::string& name : option->get_snames()) {
            names.push_back("-" + name);
        }
        for (const std::string& name : option->get_lnames()) {
            names.push_back("--" + name);
            if (takesValue(*option)) {
                valued.push_back("--" + name);
            }
        }
    }
}

int writeCompletion(std::ostream& out, const CLI::App& app, const Words& words) {
    std::vector<std::string> commands, topNames, topValued;
    namesOf(app, topNames, topValued);
    std::ostringstream cases, values, nested, nestedWords;
    auto addCase = [&](const CLI::App& command, const std::string& name) {
        std::vector<std::string> names, valued;
        namesOf(command, names, valued);
        cases << "        \"" << name << "\") options=" << quotedWords(names)
              << " valued=" << quotedWords(valued) << " ;;\n";
        for (const std::string& option : valued) {
            if (const auto list = words.find(option); list != words.end()) {
                values << "        \"" << name << " " << option << "\") COMPREPLY=($(compgen -W "
                       << quotedWords(list->second) << " -- \"$cur\")) ;;\n";
            }
        }
    };
    for (const CLI::App* command : shownCommands(app)) {
        const std::string name = command->get_name();
        commands.push_back(name);
        addCase(*command, name);
        // A command of commands ("audit verify"): its own word picks the options.
        std::vector<std::string> children;
        for (const CLI::App* child : shownCommands(*command)) {
            children.push_back(child->get_name());
            addCase(*child, name + " " + child->get_name());
        }
        if (!children.empty()) {
            nested << "        " << name << ") for ((i++; i < cword; i++)); do\n"
                   << "                case ${words[i]} in " << joined(children, "|")
                   << ") command+=\" ${words[i]}\"; break ;; esac\n"
                   << "            done ;;\n";
            nestedWords << "    elif [[ $command == " << name << " ]]; then\n"
                        << "        COMPREPLY=($(compgen -W " << quotedWords(children)
                        << " -- \"$cur\"))\n";
        }
    }
    out << "# bash completion for veltra-cli " << veltra::VersionText
        << ", written from the program's own options.\n"
        << "_veltra_cli() {\n"
        << "    local cur prev words cword split\n"
        << "    _init_completion -s -n : || return\n"
        << "    local command= options=" << quotedWords(topNames)
        << " valued=" << quotedWords(topValued) << " i\n"
        << "    for ((i = 1; i < cword; i++)); do\n"
        << "        case ${words[i]} in " << joined(commands, "|")
        << ") command=${words[i]}; break ;; esac\n"
        << "    done\n"
        << "    case $command in\n"
        << nested.str() << "    esac\n"
        << "    case $command in\n"
        << cases.str() << "    esac\n"
        << "    if [[ \" $valued \" == *\" $prev \"* ]]; then\n"
        << "        # A list's words; any other value falls back to file names.\n"
        << "        case \"$command $prev\" in\n"
        << values.str() << "        esac\n"
        << "        __ltrim_colon_completions \"$cur\"\n"
        << "        return\n"
        << "    fi\n"
        << "    $split && return\n"
        << "    if [[ $cur == -* ]]; then\n"
        << "        COMPREPLY=($(compgen -W \"$options\" -- \"$cur\"))\n"
        << "    elif [[ -z $command ]]; then\n"
        << "        COMPREPLY=($(compgen -W " << quotedWords(commands) << " -- \"$cur\"))\n"
        << nestedWords.str() << "    fi\n"
        << "} &&\n"
        << "    complete -o default -F _veltra_cli veltra-cli\n";
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    CLI::App app{"veltra-cli"};
    veltra::cli::CommandRun run;
    veltra::cli::addCommands(app, run);
    Words words;
    for (auto& [option, list] : veltra::cli::listOptionWords()) {
        words[option] = std::move(list);
    }
    const std::string what = argc > 1 ? argv[1] : "";
    if (!((what == "man" && argc == 5) || (what == "bash" && argc == 3))) {
        std::cerr << "usage: veltra_cli_docs man TEMPLATE DATE OUT | bash OUT\n";
        return 2;
    }
    std::ofstream out(argv[argc - 1]);
    const int status = what == "man" ? writeManual(out, app, words, argv[2], argv[3])
                                     : writeCompletion(out, app, words);
    out.close();
    if (status == 0 && !out) {
        std::cerr << "veltra_cli_docs: cannot write " << argv[argc - 1] << "\n";
        return 1;
    }
    return status;
}
