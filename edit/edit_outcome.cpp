#include "edit_outcome.h"

#include <exception>
#include <new>

namespace kio::edit {

EditOutcome Refusal(kio::messages::Message reason) {
    EditOutcome outcome;
    outcome.status = EditStatus::Refused;
    outcome.refusal = std::move(reason);
    return outcome;
}

void FailWithCurrentException(EditOutcome& outcome) noexcept {
    outcome.status = EditStatus::OutOfMemory;
    outcome.bytes.clear();
    outcome.changes.clear();
    try {
        throw;
    } catch (const std::bad_alloc&) {
    } catch (const std::exception& error) {
        try {
            outcome.refusal =
                kio::messages::Message{"E900", {kio::messages::Verbatim("reason", error.what())}};
            outcome.status = EditStatus::Refused;
        } catch (...) {
        }
    } catch (...) {
        // Not a standard exception, and not memory: say so rather than blame memory.
        try {
            outcome.refusal =
                kio::messages::Message{"E900", {kio::messages::Verbatim("reason", "?")}};
            outcome.status = EditStatus::Refused;
        } catch (...) {
        }
    }
}

}  // namespace kio::edit
