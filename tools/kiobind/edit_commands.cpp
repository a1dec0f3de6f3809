// set, unset and fix: the editing library computes the new file, this saves it
// and tells the player what changed.
#include "binding_edit.h"
#include "commands.h"
#include "result_meaning.h"
#include "safe_save.h"
#include "system_utf16.h"
#include "words.h"

namespace kio::kiobind {
namespace {

std::string Location(const std::string& file, int line, const Context& context) {
    return context.style(Paint::Bold, ShowFileName(file) + ":" + std::to_string(line) + ":");
}

int Refuse(const std::string& file, const kio::edit::EditOutcome& outcome, const Context& context,
           Output& output) {
    const std::string reason = outcome.status == kio::edit::EditStatus::OutOfMemory
                                   ? ResultMeaning(kio::binding::kOutOfMemory, context.language)
                                   : Said(outcome.refusal, context.language, context.codePage.id);
    // "...; did you mean 'KB_Run'?" ends a sentence of its own.
    const bool question = !reason.empty() && reason.back() == '?';
    output.err += ShowFileName(file) + ": " +
                  context.style(Paint::Error, Words(context.language, "cli.error")) + " " +
                  Words(context.language, question ? "cli.refused.question" : "cli.refused",
                        {messages::Verbatim("reason", reason)}) +
                  "\n";
    return kExitUnreadable;
}

// Tells why the file cannot be edited now; false when it can.
bool ReportHoldFailure(const kio::edit::HeldFile& held, const Context& context, Output& output) {
    if (held.Error().key.empty()) {
        return false;
    }
    output.err += "kiobind: " + context.style(Paint::Error, Words(context.language, "cli.error")) +
                  " " + messages::Render(held.Error(), context.language, ShowFileName) + "\n";
    return true;
}

// Saves the new bytes when they differ; false after reporting a failure.
bool SaveIfChanged(kio::edit::HeldFile& held, std::string_view edited, const Context& context,
                   Output& output) {
    if (edited == held.Bytes()) {
        return true;
    }
    const kio::edit::SaveResult saved = kio::edit::SaveSafely(held, edited, context.saveSystem);
    if (!saved.saved) {
        output.err +=
            "kiobind: " + context.style(Paint::Error, Words(context.language, "cli.error")) + " " +
            messages::Render(saved.error, context.language, ShowFileName) + "\n";
    }
    for (const kio::messages::Message& note : saved.notes) {
        output.err +=
            "kiobind: " + context.style(Paint::Note, Words(context.language, "cli.note")) + " " +
            messages::Render(note, context.language, ShowFileName) + "\n";
    }
    return saved.saved;
}

void PrintChanges(const std::string& file, const kio::edit::EditOutcome& outcome,
                  const Context& context, Output& output) {
    for (const kio::edit::LineChange& change : outcome.changes) {
        output.out += Location(file, change.line, context) + " " +
                      Said(change.description, context.language, context.codePage.id) + "\n";
    }
}

int RunEdit(const Arguments& arguments, const Context& context, Output& output,
            kio::edit::EditOutcome (*edit)(std::string_view, const Arguments&,
                                           const kio::binding::CodePage&)) {
    // Read first as the game reads it, so a file it cannot read is reported as
    // `show` reports it; then held, and read again through the held handle:
    // those are the bytes edited, and the guard applies even when nothing changes.
    if (!ReadOrReport(arguments.file, context, output)) {
        return kExitUnreadable;
    }
    kio::edit::HeldFile held(arguments.file, context.saveSystem);
    if (ReportHoldFailure(held, context, output)) {
        return kExitUnreadable;
    }
    const std::string_view bytes = held.Bytes();
    const kio::edit::EditOutcome outcome = edit(bytes, arguments, context.codePage);
    if (outcome.status != kio::edit::EditStatus::Ok) {
        return Refuse(arguments.file, outcome, context, output);
    }
    if (!SaveIfChanged(held, outcome.bytes, context, output)) {
        return kExitUnreadable;
    }
    if (outcome.changes.empty()) {
        output.out += ShowFileName(arguments.file) + ": " +
                      Words(context.language, "cli.edit.nothing") + "\n";
    }
    PrintChanges(arguments.file, outcome, context, output);
    return kExitClean;
}

}  // namespace

int RunSet(const Arguments& arguments, const Context& context, Output& output) {
    return RunEdit(
        arguments, context, output,
        [](std::string_view file, const Arguments& a, const kio::binding::CodePage& codePage) {
            return kio::edit::SetBinding(file, a.binding, a.value, codePage);
        });
}

int RunUnset(const Arguments& arguments, const Context& context, Output& output) {
    return RunEdit(
        arguments, context, output,
        [](std::string_view file, const Arguments& a, const kio::binding::CodePage& codePage) {
            return kio::edit::UnsetBinding(file, a.binding, codePage);
        });
}

int RunFix(const Arguments& arguments, const Context& context, Output& output) {
    if (!ReadOrReport(arguments.file, context, output)) {
        return kExitUnreadable;
    }
    kio::edit::HeldFile held(arguments.file, context.saveSystem);
    if (ReportHoldFailure(held, context, output)) {
        return kExitUnreadable;
    }
    const std::string_view bytes = held.Bytes();
    const kio::edit::FixOutcome fixed =
        kio::edit::FixFile(bytes, context.codePage, kio::edit::SystemUtf16ToCodePage);
    if (fixed.edit.status != kio::edit::EditStatus::Ok) {
        return Refuse(arguments.file, fixed.edit, context, output);
    }
    const std::string conversion =
        fixed.convertedFrom.empty()
            ? ""
            : Location(arguments.file, 1, context) + " " +
                  Words(context.language, "cli.fix.converted",
                        {messages::Verbatim("from", Words(context.language, fixed.convertedFrom)),
                         messages::Verbatim("code_page", std::to_string(context.codePage.id))}) +
                  "\n";
    if (arguments.dryRun) {
        output.out += conversion;
        output.out += kio::edit::UnifiedDiff(
            fixed.convertedFrom.empty() ? bytes : fixed.converted, fixed.edit.bytes,
            ShowFileName(arguments.file), FileTextShowerFor(context.language, context.codePage.id));
    } else {
        if (!SaveIfChanged(held, fixed.edit.bytes, context, output)) {
            return kExitUnreadable;
        }
        output.out += conversion;
        PrintChanges(arguments.file, fixed.edit, context, output);
    }
    PrintFindings(arguments.file, fixed.remaining, context, output);
    const bool changed = fixed.edit.bytes != bytes;
    const size_t lines = fixed.edit.changes.size();
    const messages::Language language = context.language;
    const std::string what =
        lines == 0 ? Words(language, "cli.fix.encoding")
                   : Words(language, lines == 1 ? "cli.fix.lines.one" : "cli.fix.lines.other",
                           {messages::Verbatim("count", std::to_string(lines))});
    std::string summary =
        !changed ? Words(language, "cli.fix.nothing")
                 : Words(language, arguments.dryRun ? "cli.fix.would" : "cli.fix.fixed",
                         {messages::Verbatim("what", what)});
    const size_t left = fixed.remaining.size();
    if (left > 0) {
        summary = Words(language, left == 1 ? "cli.fix.left.one" : "cli.fix.left.other",
                        {messages::Verbatim("summary", summary),
                         messages::Verbatim("count", std::to_string(left))});
    }
    output.out += ShowFileName(arguments.file) + ": " + summary + "\n";
    return kExitClean;
}

}  // namespace kio::kiobind
