// Automatic pages. Renumbering gives the snippets the numbers 1 to N,
// pictures first; generation cuts text streams at "<page>" lines into
// snippets of their own and adds a page for every piece after the first.
#pragma once

#include "document.h"

namespace kordoc {
class Console;
}

namespace kordoc::sim {

// Runs before every save and every production. Page lists follow the new
// numbers; a number that no snippet has leaves the list, the page stays.
void renumber(Document &doc);

// Runs on a renumbered document, before production only. With a console,
// prints a "Reading ..." line for every text snippet.
void generatepages(Document &doc, Console *console = nullptr);

}  // namespace kordoc::sim
