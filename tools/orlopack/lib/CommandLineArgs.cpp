// OrloPack command line.
#include "CommandLineArgs.h"

#include <cwchar>

#include "PackText.h"
#include "util/StringUtil.h"
#include "util/WideFormat.h"

namespace orlopack {

namespace {

// Options that take a value; "--name value" and "--name=value" both work.
const wchar_t* const kValueOptions[] = {L"source", L"template", L"language",  L"top-image",   L"bottom-image", L"stub",
                                        L"output", L"name",     L"part-size", L"compression", L"set-id", L"document"};

bool TakesValue(const std::wstring& name)
{
    for (const wchar_t* option : kValueOptions) {
        if (name == option) {
            return true;
        }
    }
    return false;
}

std::wstring LongName(const std::wstring& name)
{
    static const std::pair<const wchar_t*, const wchar_t*> shortNames[] = {
        {L"s", L"source"}, {L"t", L"template"},  {L"l", L"language"}, {L"o", L"output"},
        {L"n", L"name"},   {L"p", L"part-size"}, {L"q", L"quiet"},    {L"h", L"help"}};
    for (const auto& [shortName, longName] : shortNames) {
        if (name == shortName) {
            return longName;
        }
    }
    return name;
}

bool ApplyBuildOption(const std::wstring& name, const std::wstring& value, ParsedArguments& parsed, std::wstring& error)
{
    BuildOptions& b = parsed.build;
    if (name == L"source") {
        b.sourceFolder = value;
    } else if (name == L"template") {
        b.templatePath = value;
    } else if (name == L"language") {
        b.languageFiles.push_back(value);
    } else if (name == L"document") {
        b.documentFiles.push_back(value);
    } else if (name == L"top-image") {
        b.topImage = value;
    } else if (name == L"bottom-image") {
        b.bottomImage = value;
    } else if (name == L"stub") {
        b.stubPath = value;
    } else if (name == L"output") {
        b.outputFolder = value;
    } else if (name == L"name") {
        b.baseName = value;
    } else if (name == L"part-size") {
        if (!ParseSize(value, b.partSize, error)) {
            error = L"--part-size: " + error;
            return false;
        }
    } else if (name == L"compression") {
        if (EqualsNoCase(value, L"mszip")) {
            b.compression = Compression::MsZip;
        } else if (EqualsNoCase(value, L"none")) {
            b.compression = Compression::None;
        } else {
            error = FormatW(L"--compression: \"%ls\" is not mszip or none", value.c_str());
            return false;
        }
    } else if (name == L"set-id") {
        wchar_t* end = nullptr;
        const unsigned long id = std::wcstoul(value.c_str(), &end, 10);
        if (value.empty() || *end != L'\0' || id < 1 || id > 65534) {
            error = FormatW(L"--set-id: \"%ls\" is not a number from 1 to 65534", value.c_str());
            return false;
        }
        b.setId = static_cast<uint16_t>(id);
    }
    return true;
}

} // namespace

bool ParseArguments(const std::vector<std::wstring>& args, ParsedArguments& parsed, std::wstring& error)
{
    parsed = ParsedArguments{};
    if (args.empty()) {
        error = L"no command given";
        return false;
    }
    const std::wstring command = ToLowerW(args[0]);
    if (command == L"help" || command == L"--help" || command == L"-h" || command == L"/?") {
        parsed.command = Command::Help;
        return true;
    }
    if (command == L"--version" || command == L"version") {
        parsed.command = Command::Version;
        return true;
    }
    if (command == L"build") {
        parsed.command = Command::Build;
    } else if (command == L"list") {
        parsed.command = Command::List;
    } else if (command == L"verify") {
        parsed.command = Command::Verify;
    } else {
        error = FormatW(L"unknown command \"%ls\" (use build, list or verify)", args[0].c_str());
        return false;
    }
    bool sawSingle = false;
    bool sawMulti = false;
    for (size_t i = 1; i < args.size(); ++i) {
        const std::wstring& arg = args[i];
        if (arg.size() < 2 || arg[0] != L'-') {
            if (parsed.command == Command::Build) {
                error = FormatW(L"unexpected argument \"%ls\" (options start with --)", arg.c_str());
                return false;
            }
            if (!parsed.package.empty()) {
                error = FormatW(L"only one package can be given (\"%ls\" is extra)", arg.c_str());
                return false;
            }
            parsed.package = arg;
            continue;
        }
        std::wstring name = arg.substr(arg[1] == L'-' ? 2 : 1);
        std::wstring value;
        bool hasValue = false;
        const size_t equals = name.find(L'=');
        if (equals != std::wstring::npos) {
            value = name.substr(equals + 1);
            name = name.substr(0, equals);
            hasValue = true;
        }
        name = LongName(ToLowerW(name));
        if (name == L"help") {
            parsed.command = Command::Help;
            return true;
        }
        if (name == L"version") {
            parsed.command = Command::Version;
            return true;
        }
        if (name == L"sign-with") {
            error = L"--sign-with: OrloPack does not sign; sign the finished package with signtool or osslsigncode "
                    L"(README, \"Signing a package\")";
            return false;
        }
        if (name == L"quiet") {
            parsed.quiet = true;
            continue;
        }
        if (parsed.command != Command::Build) {
            error = FormatW(L"unknown option \"%ls\" for %ls", arg.c_str(), command.c_str());
            return false;
        }
        if (name == L"single-file" || name == L"multi-part") {
            (name == L"single-file" ? sawSingle : sawMulti) = true;
            continue;
        }
        if (!TakesValue(name)) {
            error = FormatW(L"unknown option \"%ls\"", arg.c_str());
            return false;
        }
        if (!hasValue) {
            if (i + 1 >= args.size()) {
                error = FormatW(L"option --%ls needs a value", name.c_str());
                return false;
            }
            value = args[++i];
        }
        if (value.empty()) {
            error = FormatW(L"option --%ls has an empty value", name.c_str());
            return false;
        }
        if (!ApplyBuildOption(name, value, parsed, error)) {
            return false;
        }
    }
    if (parsed.command == Command::Build) {
        if (sawSingle && sawMulti) {
            error = L"--single-file and --multi-part exclude each other";
            return false;
        }
        if (sawSingle && parsed.build.partSize != 0) {
            error = L"--part-size does not apply to a single-file package";
            return false;
        }
        parsed.build.singleFile = sawSingle;
        if (parsed.build.sourceFolder.empty()) {
            error = L"build needs --source FOLDER";
            return false;
        }
        if (parsed.build.templatePath.empty()) {
            error = L"build needs --template FILE";
            return false;
        }
    } else if (parsed.package.empty()) {
        error =
            FormatW(L"%ls needs the package executable, e.g. OrloPack %ls Demo.exe", command.c_str(), command.c_str());
        return false;
    }
    return true;
}

std::wstring UsageText()
{
    return L"OrloPack - builds, lists and verifies web packages\n"
           L"\n"
           L"  OrloPack build --source FOLDER --template FILE [options]\n"
           L"  OrloPack list PACKAGE.exe\n"
           L"  OrloPack verify PACKAGE.exe\n"
           L"  OrloPack --help | --version\n"
           L"\n"
           L"build options:\n"
           L"  -s, --source FOLDER      files to pack (every file below it, hidden ones too)\n"
           L"  -t, --template FILE      properties template (INI, UTF-8 or UTF-16)\n"
           L"  -l, --language FILE      language file defaultNNNN.ulf or Defaultx.ulf (repeatable)\n"
           L"      --document FILE      license or security document (.rtf, .txt) that\n"
           L"                           [LicenseFiles] or [SecurityLicenseFiles] names (repeatable)\n"
           L"      --top-image FILE     header image at the top of the wizard\n"
           L"      --bottom-image FILE  header image at the bottom of the wizard\n"
           L"      --stub FILE          front-end executable (default: Tarvex.exe beside OrloPack.exe)\n"
           L"  -o, --output FOLDER      where the package goes (default: current folder)\n"
           L"  -n, --name BASE          base name: BASE.exe, BASE.001, ... (default: template\n"
           L"                           [Package] PackageFileName, then [Package] Name)\n"
           L"  -p, --part-size SIZE     largest part, e.g. 64M, 512K, 2G (default: template\n"
           L"                           [Package] PartSize, then 64M; at least 64K)\n"
           L"      --single-file        one executable that carries the cabinet in its payload\n"
           L"      --multi-part         executable plus part files (the default)\n"
           L"      --compression KIND   mszip (default) or none\n"
           L"      --set-id N           cabinet set id 1..65534 (default: random)\n"
           L"  -q, --quiet              print only warnings and errors\n"
           L"\n"
           L"Sign a package after building it (signtool or osslsigncode); verify reports whether it is signed.\n"
           L"\n"
           L"Exit codes: 0 success (verify: the package is sound), 1 failure or problems found,\n"
           L"2 wrong command line.\n";
}

} // namespace orlopack

namespace orlopack {

std::wstring VersionText()
{
    return L"OrloPack " TARVEX_VERSION_TEXT L"\n";
}

} // namespace orlopack
