// PDF production: turns a sim document into one PDF 1.2 file.
#pragma once

#include "../sim/document.h"
#include "profile.h"

#include <ctime>
#include <optional>
#include <string>

namespace kordoc::pdf {

class ByteSink;

struct ProduceOptions {
    Profile profile = Profile::library();
    // The font definitions file; the fourteen standard fonts without it.
    std::optional<std::string> fontDefinitions;
    // The creation date's instant. Unset: SOURCE_DATE_EPOCH when the
    // environment has it (written in UTC), otherwise now in local time.
    std::optional<std::time_t> creationTime;
    bool creationTimeUtc = false;
    // Replace an existing output file once the new one is complete; the
    // generator never overwrites.
    bool replaceExisting = true;
};

// Writes the PDF of the document, which must already be renumbered and have
// its automatic pages generated. Throws EngineError; on failure no file of
// the output name is created or changed.
void producefile(const sim::Document &doc, const std::string &fileName, const ProduceOptions &options);
void producefile(const sim::Document &doc, ByteSink &sink, const ProduceOptions &options);

}  // namespace kordoc::pdf
