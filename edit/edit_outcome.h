// Building outcomes, and keeping exceptions inside the library.
#pragma once

#include <string>

#include "binding_edit.h"

namespace kio::edit {

EditOutcome Refusal(kio::messages::Message reason);

// Call only inside a catch block: turns the exception being handled into the
// outcome's status (OutOfMemory for std::bad_alloc, else Refused with its text as E900).
void FailWithCurrentException(EditOutcome& outcome) noexcept;

}  // namespace kio::edit
