// jlpack: makes a program copy of the launcher for one application: its settings
// embedded (enciphered), its icon, its version information and the execution level
// its manifest requests. Builds and runs the same on Linux and on Windows.

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "jlpack_platform.h"
#include "packer.h"

namespace {

using namespace jlpack;

constexpr char kUsage[] =
    "Usage: jlpack --launcher LAUNCHER.exe --ini SETTINGS.ini --output APP.exe [options]\n"
    "       jlpack --print APP.exe [--upgrade-code CODE]\n"
    "\n"
    "Writes a copy of LAUNCHER.exe to APP.exe with the settings of SETTINGS.ini embedded\n"
    "(enciphered) in its resources, and with the application's own icon, version information\n"
    "and execution level. The installed program reads the embedded settings as defaults that\n"
    "the INI file beside it can override (same key) or extend (a \"[Section+]\" entry).\n"
    "The embedded settings are keyed with the \"Upgrade Code\" of [Product Information]: the\n"
    "INI file installed beside APP.exe must carry the same one.\n"
    "APP.exe is written to a temporary file first and moved into place, so a failed run leaves\n"
    "no half-written program. Packing an already packed copy replaces what it carried.\n"
    "Sign APP.exe after packing: packing changes the image, and a signed launcher is refused.\n"
    "\n"
    "  --launcher FILE          the launcher executable to copy (jlauncher.exe or a packed copy)\n"
    "  --ini FILE               the settings to embed (UTF-8, UTF-16 with byte-order mark, or\n"
    "                           Windows-1252)\n"
    "  --output FILE            the executable to write; it may not be the launcher itself\n"
    "  --upgrade-code CODE      the key for the embedded settings (ASCII); default: the\n"
    "                           \"Upgrade Code\" in [Product Information] of the INI file\n"
    "  --icon FILE.ico          the program's icon, with all the images of the file (each at\n"
    "                           most 256x256); default: the launcher's icon\n"
    "  --file-version X.Y.Z.W   version information; the two versions default to each other,\n"
    "  --product-version X.Y.Z.W  else to 1.0.0.0\n"
    "  --product-name TEXT      default: \"Product Name\" in [Product Information], else the\n"
    "                           output's base name\n"
    "  --description TEXT       the file description; default: the product name\n"
    "  --company TEXT           the company name; default: none\n"
    "  --copyright TEXT         the legal copyright; default: none\n"
    "  --original-filename NAME default: the output's file name\n"
    "  --execution-level LEVEL  asInvoker (default), requireAdministrator or highestAvailable\n"
    "  --subsystem KIND         console (a command-line tool: the shell waits, messages go to\n"
    "                           standard error) or gui; default: the launcher's own\n"
    "  --key-text TEXT          use TEXT (ASCII) as the inner key instead of a fresh random one,\n"
    "                           so that the same inputs give the same bytes (reproducible builds,\n"
    "                           tests); anyone who has the INI file can read the settings anyway\n"
    "  --print FILE             show what a launcher copy carries: execution level, subsystem, icon sizes,\n"
    "                           version information and, deciphered with --upgrade-code or the\n"
    "                           \"Upgrade Code\" of the INI file beside it, the embedded settings\n"
    "  --help                   show this text\n"
    "\n"
    "Exit code 0 on success, 1 on any failure (the reason goes to the standard error stream).\n";

int fail(const std::string& message) {
    writeError("jlpack: " + message + "\n");
    return 1;
}

std::string fileName(const std::string& path) {
    const size_t slash = path.find_last_of("/\\");
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string iniBeside(const std::string& program) {
    const size_t dot = program.rfind('.');
    const size_t slash = program.find_last_of("/\\");
    const bool hasExtension = dot != std::string::npos && (slash == std::string::npos || dot > slash);
    return (hasExtension ? program.substr(0, dot) : program) + ".ini";
}

std::string freshKeyText() {
    std::uint8_t random[16];
    if (!randomBytes(random)) return {};
    static constexpr char kHex[] = "0123456789ABCDEF";
    std::string key;
    for (std::uint8_t b : random) {
        key += kHex[b >> 4];
        key += kHex[b & 15];
    }
    return key;
}

int print(const std::string& program, std::string upgradeCode) {
    std::string error;
    const std::optional<Bytes> image = readWholeFile(program, error);
    if (!image) return fail("cannot read \"" + program + "\": " + error);
    std::string source = "--upgrade-code";
    if (upgradeCode.empty()) {
        source = iniBeside(program);
        if (const std::optional<Bytes> ini = readWholeFile(source, error)) upgradeCode = upgradeCodeOfIni(*ini);
    }
    std::string problem;
    const std::optional<std::string> description = describeLauncher(*image, upgradeCode, problem);
    if (!description) return fail("\"" + program + "\" " + problem);
    writeOutput(program + "\n" + *description);
    return 0;
}

int pack(std::map<std::string, std::string> options) {
    const std::string launcher = options["--launcher"], ini = options["--ini"], output = options["--output"];
    if (launcher.empty() || ini.empty() || output.empty()) {
        writeError(kUsage);
        return fail("--launcher, --ini and --output are all required");
    }
    if (options.count("--upgrade-code") && options["--upgrade-code"].empty()) return fail("the upgrade code must not be empty");
    if (options.count("--key-text") && options["--key-text"].empty()) return fail("the key text must not be empty");

    PackRequest request;
    std::string error;
    std::optional<Bytes> bytes = readWholeFile(ini, error);
    if (!bytes) return fail("cannot read the INI file \"" + ini + "\": " + error);
    request.ini = std::move(*bytes);
    if (!fileExists(launcher)) return fail("cannot find the launcher \"" + launcher + "\"");
    if (samePath(launcher, output)) return fail("the output \"" + output + "\" may not be the launcher itself");
    bytes = readWholeFile(launcher, error);
    if (!bytes) return fail("cannot read the launcher \"" + launcher + "\": " + error);
    request.launcher = std::move(*bytes);
    if (options.count("--icon")) {
        bytes = readWholeFile(options["--icon"], error);
        if (!bytes) return fail("cannot read the icon file \"" + options["--icon"] + "\": " + error);
        request.icon = std::move(*bytes);
    }
    request.upgradeCode = options["--upgrade-code"];
    request.keyText = options.count("--key-text") ? options["--key-text"] : freshKeyText();
    if (request.keyText.empty()) return fail("cannot generate a key: the system gave no random bytes");
    request.fileVersion = options["--file-version"];
    request.productVersion = options["--product-version"];
    request.productName = options["--product-name"];
    request.description = options["--description"];
    request.company = options["--company"];
    request.copyright = options["--copyright"];
    request.originalFileName = options.count("--original-filename") ? options["--original-filename"] : fileName(output);
    request.executionLevel = options["--execution-level"];
    request.subsystem = options["--subsystem"];

    std::string problem;
    const std::optional<PackOutcome> packed = packLauncher(request, problem);
    if (!packed) {
        // Name the file at fault.
        for (const auto& [prefix, path] : {std::pair<std::string, std::string>{"the launcher", launcher},
                                           {"the INI file", ini}, {"the icon file", options["--icon"]}}) {
            if (problem.compare(0, prefix.size(), prefix) == 0) {
                problem.insert(prefix.size(), " \"" + path + "\"");
                break;
            }
        }
        return fail(problem);
    }
    if (!replaceFile(output, packed->image, error)) return fail("cannot write \"" + output + "\": " + error);
    writeOutput("jlpack: wrote \"" + output + "\" with " + std::to_string(packed->settingsCharacters) +
                " characters of embedded settings\n");
    return 0;
}

int jlpackMain(const std::vector<std::string>& arguments) {
    static const char* const kValued[] = {"--launcher", "--ini", "--output", "--upgrade-code", "--icon", "--file-version",
                                          "--product-version", "--product-name", "--description", "--company",
                                          "--copyright", "--original-filename", "--execution-level", "--subsystem",
                                          "--key-text", "--print"};
    std::map<std::string, std::string> options;
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string option = arguments[i], value;
        if (option == "--help" || option == "-h" || option == "/?") {
            writeOutput(kUsage);
            return 0;
        }
        const size_t equals = option.find('=');
        const bool inlineValue = option.compare(0, 2, "--") == 0 && equals != std::string::npos;
        if (inlineValue) {
            value = option.substr(equals + 1);
            option.resize(equals);
        }
        if (std::find(std::begin(kValued), std::end(kValued), option) == std::end(kValued)) {
            return fail("unknown option " + option + " (see --help)");
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size()) return fail("option " + option + " needs a value (see --help)");
            value = arguments[++i];
        }
        if (options.count(option)) return fail("option " + option + " is given twice");
        options[option] = value;
    }
    if (options.empty()) {
        writeError(kUsage);
        return fail("nothing to do (see --help)");
    }
    if (options.count("--print")) {
        if (options.size() > (options.count("--upgrade-code") ? 2u : 1u)) {
            return fail("--print takes only --upgrade-code beside it");
        }
        return print(options["--print"], options["--upgrade-code"]);
    }
    return pack(options);
}

} // namespace

#ifdef _WIN32
int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i) {
        std::u16string text;
        for (const wchar_t* c = argv[i]; *c; ++c) text += static_cast<char16_t>(*c);
        arguments.push_back(utf8FromUtf16(text));
    }
    return jlpackMain(arguments);
}
#else
int main(int argc, char** argv) { return jlpackMain(std::vector<std::string>(argv + 1, argv + argc)); }
#endif
