#pragma once

#include "output/RtfWriter.h"

class QTextDocument;

namespace kalvenor {

// The document of a table for the print dialog: the same title, lines and
// table as its RTF, in a small sans-serif font so that a wide table fits a
// landscape page, the header row repeated on every page.
void FillTableDocument(QTextDocument& document, const RtfTableDocument& table);

}  // namespace kalvenor
