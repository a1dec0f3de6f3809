// Editing a binding file: pure functions from the file's bytes to the new bytes.
//
// Everything works on the bytes in the game's ANSI code page, through the
// loader's own line split, key lookup and value decoding, so an edit always
// means to the game what it says. Nothing here touches a file, prints, or lets
// an exception out: running out of memory is an outcome like any refusal.
// Saving the result is a separate step (safe_save.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "code_page.h"
#include "findings.h"
#include "message.h"

namespace kio::edit {

enum class EditStatus {
    Ok,           // `bytes` is the new file (equal to the input when nothing changed)
    Refused,      // the request cannot be carried out; `refusal` says why
    OutOfMemory,  // nothing could be computed
};

// One changed line. `line` is its number in the new file, as kiobind counts
// lines (CR LF is one break, any other CR or LF one of its own). `before` and
// `after` are the line's bytes without its line break; `before` is empty for
// an added line.
struct LineChange {
    int line = 0;
    bool added = false;
    std::string before;
    std::string after;
    // What changed, as a message: "KB_Run=lcontrol (was lshift)" in English.
    kio::messages::Message description;
};

struct EditOutcome {
    EditStatus status = EditStatus::Ok;
    kio::messages::Message refusal;   // why not, for the player; empty when Ok
    std::string bytes;                // the whole new file when Ok
    std::vector<LineChange> changes;  // in file order; empty when nothing changed
};

// Binds `binding` (a binding name in any letter case: "KB_Run", "pad_run") to
// `value`: a key name in any letter case, written in lower case, or "0x" with
// 1 to 8 hexadecimal digits. The last line naming the binding gets the value,
// keeping its key text, spacing and line break; when no line names it, a line
// "KB_Run=value" is added after the last line of the same kind (KB_/PAD_), or
// at the end. Refuses unknown names (with the nearest ones), decimal numbers
// (with the hexadecimal they probably meant) and files it cannot edit safely
// (UTF-16, a line the game joins with the next).
EditOutcome SetBinding(std::string_view file, std::string_view binding, std::string_view value,
                       const kio::binding::CodePage& codePage);

// Turns off every line naming `binding` by putting "; " in front of it, so the
// game keeps its own default for it.
EditOutcome UnsetBinding(std::string_view file, std::string_view binding,
                         const kio::binding::CodePage& codePage);

// Converts UTF-16 text (native code units, no byte-order mark) to the ANSI code
// page `codePageId`.
enum class ConversionStatus {
    Converted,         // `bytes` holds the text
    NoFormInCodePage,  // `failedUnit` is the first code unit with no form there
    Failed,            // the converter could not run, or blames no character
};
struct Utf16Conversion {
    ConversionStatus status = ConversionStatus::Failed;
    std::string bytes;
    size_t failedUnit = 0;  // below the text's size whenever the status says so
};
// The platform's converter is SystemUtf16ToCodePage (system_utf16.h, library
// kio_edit_system); a build without one, like the web page, passes its own or nullptr.
using Utf16ToCodePage = Utf16Conversion (*)(std::u16string_view text, uint32_t codePageId);

// A binding a fix gave a new value, and that value.
struct Announced {
    int entry = 0;
    int32_t value = 0;
};

struct FixOutcome {
    EditOutcome edit;
    // What the fixes changed for the game, in the order they were made; a fix
    // whose result the loader reads otherwise than announced is not made, and
    // its finding stays in `remaining`.
    std::vector<Announced> announced;
    // What `check` still reports about the new file: the findings with no
    // single sure fix (misspelt names, decimal numbers, ...). Empty unless Ok.
    std::vector<kio::analysis::Finding> remaining;
    // The catalogue key naming the encoding the file was converted from
    // ("encoding.utf16.little": UTF-16, little-endian), empty when it was not;
    // the line changes then compare the converted text with the final one.
    std::string convertedFrom;
    std::string converted;  // the converted text, before any other fix
};

// Applies every fix `check` offers where exactly one is possible (each
// analysis::Finding with a `fix`), until none is left. A UTF-16 file with a
// byte-order mark is converted first through `toCodePage`; when that is
// nullptr, or a character has no form in the code page, the outcome is
// Refused and names the character and its line.
FixOutcome FixFile(std::string_view file, const kio::binding::CodePage& codePage,
                   Utf16ToCodePage toCodePage);

// How a diff shows a line's bytes; never a control byte unescaped.
using DiffLineShower = std::function<std::string(std::string_view)>;

// A unified diff of two versions of a file, line by line as kiobind counts
// lines, with three lines of context; empty when they are equal. Line breaks
// are not shown; each line is shown by `show`, by default with control bytes
// and bytes from 0x80 up escaped as \xNN.
std::string UnifiedDiff(std::string_view before, std::string_view after, std::string_view name,
                        const DiffLineShower& show = {});

}  // namespace kio::edit
