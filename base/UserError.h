#pragma once

#include <stdexcept>

namespace kalvenor {

// What the user causes and can mend: a text that is not a number, a file
// that cannot be read or written, a row that cannot be posted. Its message
// is shown as it is. Anything else that is thrown is a fault of the program,
// and the user is told so instead of being blamed.
class UserError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace kalvenor
