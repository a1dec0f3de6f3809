// Every finding of `check` and every refusal of an edit, once: its identifier,
// severity, the sure fix it may carry, its catalogue key and one line on what
// it is about. The README's table, the catalogue and the golden transcripts
// are tested against this table, and every finding the code makes against its
// row.
#pragma once

#include <optional>
#include <span>
#include <string_view>

#include "findings.h"

namespace kio::analysis {

enum class RuleLevel {
    Warning,
    Note,
    Refusal,  // of `set`, `unset` or `fix`: nothing is written
};

struct Rule {
    std::string_view id;  // "K309", "E102"
    RuleLevel level = RuleLevel::Warning;
    std::optional<FixKind> fix;     // the sure fix its findings may carry
    std::string_view catalogueKey;  // its message's key, or the stem of its forms' keys
    std::string_view summary;       // one line, as the README's table has it
};

// The findings, then the refusals, each by identifier.
std::span<const Rule> Rules();

// The rule with identifier `id` (without a form), or null.
const Rule* FindRule(std::string_view id);

// "warning", "note" or "refusal", as the README's table spells it.
std::string_view RuleLevelName(RuleLevel level);

RuleLevel RuleLevelOf(Severity severity);

}  // namespace kio::analysis
