#include "commands.h"

namespace kiobind {
namespace {

constexpr std::string_view kOverview = R"(kiobind - what the game will do with your input.ini

usage: kiobind COMMAND [OPTIONS]

commands:
  check [FILE]   report every line the game ignores or reads otherwise than it looks
  show [FILE]    the value each of the 27 actions gets, and the line that sets it
  keys           every key name a value may use, spelt as the file must spell it

FILE is input.ini in the current folder unless named.
kiobind COMMAND --help tells more about each command.
)";

constexpr std::string_view kCheck = R"(usage: kiobind check [--code-page N] [FILE]

Reads FILE (default: input.ini) exactly as the game does and prints one line per
finding, as FILE:LINE: warning: ... or FILE:LINE: note: ..., which editors and CI
can jump to. It finds misspelt binding names, values that decode to nothing (with
the reason and the fix), hexadecimal numbers that overflow, decimal numbers read
as digit keys, lines without "=", bindings set twice, a UTF-8 byte-order mark,
NUL bytes and UTF-16 text. Lines starting with ";" or "#", and "[Section]" lines,
are taken as comments: the game ignores them too.

Line numbers are those an editor shows: a CR LF pair is one line break, and any
other CR or LF is one break of its own (so LF CR counts as two).

options:
  --code-page N  read the file as Windows code page N (1252, 932, 936, 949 or
                 950); the default is the system's ANSI code page (1252 on Linux)

exit status:
  0  no warnings (notes may be printed)
  1  at least one warning
  2  the file cannot be read; the message gives the result code GetPAM would
     return, such as 0x80070002 (file not found)

examples:
  kiobind check
  kiobind check "C:\Games\Kio\input.ini"
  kiobind check input.ini || echo "input.ini needs a look"
)";

constexpr std::string_view kShow =
    R"(usage: kiobind show [--order LIST] [--raw] [--code-page N] [FILE]

Prints the 27 actions with the keyboard and the pad value the game receives for
each from FILE (default: input.ini): the key name and its code, or the number,
and the line that sets it. "default" marks a value no line sets: the game keeps
its own. When several lines set the same binding, the last one wins.

options:
  --order LIST   a file holding the 27 action names in the order the game passes
                 them (separated by white space or commas); the default is the
                 order of the action table. A name the game repeats or that names
                 no action owns no values, and an action missing from the list
                 has its lines ignored.
  --raw          one line for scripts: the result code, then the 54 values in
                 the order of the caller's array as decimal numbers, "default"
                 where no line sets one
  --code-page N  as for kiobind check

examples:
  kiobind show
  kiobind show examples/input.ini
  kiobind show --order actions.txt input.ini
)";

constexpr std::string_view kKeys = R"(usage: kiobind keys

Lists every key name a value may use, in the exact spelling the file must use
(key names are lower case: "space", not "Space"), with its DirectInput key code
and the browser's name for the key (KeyboardEvent.code), which the web editor uses.
A value may also be a hexadecimal number such as 0x39.

examples:
  kiobind keys
  kiobind keys | grep numpad
)";

}  // namespace

std::string_view HelpText(Command command) {
    switch (command) {
        case Command::Check: return kCheck;
        case Command::Show: return kShow;
        case Command::Keys: return kKeys;
        case Command::Overview: break;
    }
    return kOverview;
}

}  // namespace kiobind
