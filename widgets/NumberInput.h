#pragma once

class QLineEdit;

namespace kalvenor {

// A field a number is typed into. A full stop typed where the program's
// separator is a comma (a comma where it is a full stop) goes in as the
// separator: the keypad and habit give the other one, and a number must not
// be refused half typed. A click into the field while it holds the untouched
// "0" selects it, so that typing replaces it, as Tab already does.
void MakeNumberInput(QLineEdit* edit, char separator);

}  // namespace kalvenor
