#include "command_line.h"

namespace kelar::client {

CommandLine ParseCommandLine(const std::vector<std::wstring>& args) {
  CommandLine line;
  bool optionsEnded = false;
  const auto fail = [&line](std::wstring message) {
    if (line.error.empty()) line.error = std::move(message);
  };

  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::wstring& arg = args[i];
    if (!optionsEnded && arg.size() > 1 && arg[0] == L'-') {
      if (arg == L"--") {
        optionsEnded = true;
      } else if (arg == L"--help" || arg == L"-h" || arg == L"/?") {
        line.command = Command::kHelp;
        return line;
      } else if (arg == L"--xml") {
        line.xml = true;
      } else if (arg == L"--from" || arg == L"--to" || arg == L"--ui") {
        if (i + 1 >= args.size()) {
          fail(arg + L" needs a language code");
          break;
        }
        const std::wstring& value = args[++i];
        if (value.empty() || !IsSafeOptionValue(value)) {
          fail(arg + L" takes a language code of letters, digits, '-' or '_', not \"" + value + L"\"");
        } else if (arg == L"--from") {
          line.languages.from = value;
        } else if (arg == L"--to") {
          line.languages.to = value;
        } else {
          line.languages.ui = value;
        }
      } else {
        fail(L"unknown option " + arg);
      }
      continue;
    }
    if (line.command == Command::kNone) {
      if (arg == L"text") {
        line.command = Command::kText;
      } else if (arg == L"file") {
        line.command = Command::kFile;
      } else if (arg == L"features") {
        line.command = Command::kFeatures;
      } else if (arg == L"doctor") {
        line.command = Command::kDoctor;
      } else if (arg == L"help") {
        line.command = Command::kHelp;
        return line;
      } else {
        fail(L"unknown command \"" + arg + L"\"");
      }
      continue;
    }
    line.arguments.push_back(arg);
  }

  switch (line.command) {
    case Command::kNone:
      fail(L"no command given");
      break;
    case Command::kText:
      if (line.arguments.empty()) fail(L"text needs the text to translate");
      break;
    case Command::kFile:
      if (line.arguments.size() != 1) fail(L"file needs exactly one file name");
      break;
    case Command::kFeatures:
    case Command::kDoctor:
      if (!line.arguments.empty()) fail(L"unexpected argument \"" + line.arguments.front() + L"\"");
      break;
    case Command::kHelp:
      break;
  }
  return line;
}

std::wstring UsageText() {
  return LR"(Usage: translate-client <command> [options]

Talks to the registered Orvane Pashto Translation Engine through COM.

Commands:
  text TEXT...     Translate one text (the words are joined with blanks).
  file FILE        Translate a UTF-8 text file, one piece per line, streamed
                   through the engine's Translate with this program's own
                   source and sink. Empty lines stay empty.
  features         Print the engine's features document, as returned and
                   decoded.
  doctor           Check the installation: registration, the server's
                   program folder (Vyn.dll and both dictionaries), marshaling
                   of the client interfaces, and a translation round trip.
  help             Show this text.

Options:
  --from CODE      Source language (default ps).
  --to CODE        Translation language (default en).
  --ui CODE        Interface language of the engine's messages and labels.
  --xml            Print the engine's XML fragments as they come instead of
                   plain text.
  --               Treat everything after it as arguments.

Translations go to standard output as UTF-8 (on a console, as text);
messages and the progress bar go to standard error.

Exit codes: 0 success; 1 the engine could not be used or a check failed;
2 wrong command line; 3 the engine reported an error for a text.
)";
}

}  // namespace kelar::client
