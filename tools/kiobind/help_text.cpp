#include "commands.h"
#include "kio_version.h"

namespace kiobind {
namespace {

constexpr std::string_view kOverview = R"(kiobind - what the game will do with your input.ini

usage: kiobind COMMAND [OPTIONS]

commands:
  check [FILE]   report every line the game ignores or reads otherwise than it looks
  show [FILE]    the value each of the 27 actions gets, and the line that sets it
  keys           every key name a value may use, spelt as the file must spell it
  set BINDING VALUE [FILE]
                 bind BINDING to a key name or a 0x number, changing one line
  unset BINDING [FILE]
                 turn off every line naming BINDING, so the game keeps its default
  fix [--dry-run] [FILE]
                 apply each fix check is sure of; list the rest

FILE is input.ini in the current folder unless named.
kiobind COMMAND --help tells more about each command; kiobind --version gives
the release.
)";

constexpr std::string_view kCheck = R"(usage: kiobind check [--format json] [--code-page N] [FILE]

Reads FILE (default: input.ini) exactly as the game does and prints one line per
finding, as FILE:LINE: warning: ... or FILE:LINE: note: ..., which editors and CI
can jump to. It finds misspelt binding names, values that decode to nothing (with
the reason and the fix), hexadecimal numbers that overflow, decimal numbers read
as digit keys, lines without "=", bindings set twice, a UTF-8 byte-order mark,
NUL bytes and UTF-16 text. Lines starting with ";" or "#", and "[Section]" lines,
are taken as comments: the game ignores them too.

Line numbers are those an editor shows: a CR LF pair is one line break, and any
other CR or LF is one break of its own (so LF CR counts as two).

Every finding has an identifier, such as K309 (a key name in capitals), that
stays the same in every release and language; the README lists them.

options:
  --format json  print one JSON document instead: {"version": 1, "file",
                 "codePage", "findings": [...], "warnings", "notes",
                 "bindingsSet"}. Each finding holds "id", "key" (the identifier
                 and the message's form), "severity" ("warning" or "note"),
                 "line", "column" and "length" (the bytes it concerns, counted
                 from 0 within the line), "arguments" (binding, value, ...),
                 "text" (the message) and "fix" (the sure fix, or null).
                 Bytes from 0x80 up appear as \xNN, as in the text output.
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
  kiobind check --format json input.ini > findings.json
)";

constexpr std::string_view kShow =
    R"(usage: kiobind show [--order LIST] [--raw | --format json] [--code-page N] [FILE]

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
  --format json  one JSON document: {"version": 1, "file", "codePage",
                 "result", "actions": [...], "unlisted": [...]}; each action
                 holds "position", "name", "repeatOf" and "keyboard" and "pad",
                 each {"binding", "value", "line"} with null value and line for
                 a default, or null where the position owns no values
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

constexpr std::string_view kSaving = R"(
Every other byte of FILE stays as it was. The new version is written to a
temporary file beside FILE and flushed to disk, the previous version is kept as
FILE.bak, and FILE is then replaced in one step, only if no other program
changed it meanwhile. On any error nothing is written.
)";

constexpr std::string_view kSet = R"(usage: kiobind set [--code-page N] BINDING VALUE [FILE]

Binds BINDING (KB_ or PAD_ and an action, in any letter case: KB_Run, pad_run)
to VALUE in FILE (default: input.ini). VALUE is a key name in any letter case,
written in lower case as the game needs it (LControl becomes lcontrol), or 0x
followed by 1 to 8 hexadecimal digits. A decimal number is refused with the
hexadecimal it probably meant, an unknown key name with the nearest ones.

The line that decides the binding today (the last one naming it) gets the new
value, keeping its spacing and line break. When no line names the binding, one
is added after the last line of the same kind (KB_ or PAD_), or at the end.
Prints one FILE:LINE: line per change.
)";

constexpr std::string_view kUnset = R"(usage: kiobind unset [--code-page N] BINDING [FILE]

Turns off every line of FILE (default: input.ini) that names BINDING by putting
"; " in front of it: the game then keeps its own default for BINDING, and the
text stays in the file. Prints one FILE:LINE: line per change.
)";

constexpr std::string_view kFix = R"(usage: kiobind fix [--dry-run] [--code-page N] [FILE]

Applies each fix that check suggests where only one fix is possible: removes a
UTF-8 byte-order mark, converts UTF-16 text to the ANSI code page, writes key
names in lower case, removes white space before a final ";", puts the missing
"=" after a binding name followed by a valid value, and turns off ("; ") lines
that a later line overrides. Misspelt binding names, decimal numbers and long
hexadecimal numbers are listed as check lists them, not guessed at. A fix is
made only when the game, reading the result, gets exactly the value the finding
announced and every other binding as before; any other is listed, its line left
as it is.
)";

constexpr std::string_view kOptions = R"(
options:
)";

constexpr std::string_view kEditExit = R"(  --code-page N  as for kiobind check

exit status:
  0  the file now says what was asked (also when nothing had to change)
  2  an error; nothing was written

examples:
)";

std::string Compose(std::string_view usage, std::string_view options,
                    std::string_view examples) {
    return std::string(usage) + std::string(kSaving) + std::string(kOptions) +
           std::string(options) + std::string(kEditExit) + std::string(examples);
}

}  // namespace

std::string_view VersionLine() { return "kiobind " KIO_VERSION_STRING "\n"; }

std::string_view HelpText(Command command) {
    switch (command) {
        case Command::Check: return kCheck;
        case Command::Show: return kShow;
        case Command::Keys: return kKeys;
        case Command::Set: {
            static const std::string text =
                Compose(kSet, "",
                        "  kiobind set KB_Run LControl\n  kiobind set pad_run 0x2 input.ini\n");
            return text;
        }
        case Command::Unset: {
            static const std::string text = Compose(kUnset, "", "  kiobind unset KB_Run\n");
            return text;
        }
        case Command::Fix: {
            static const std::string text =
                Compose(kFix,
                        "  --dry-run      print the change as a unified diff and write nothing\n",
                        "  kiobind fix --dry-run\n  kiobind fix input.ini\n");
            return text;
        }
        case Command::Overview: break;
    }
    return kOverview;
}

}  // namespace kiobind
