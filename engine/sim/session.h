// A sim document with its error count and the host's error channel: the
// engine state behind loading, pushing and saving.
#pragma once

#include "document.h"
#include "reader.h"

#include <functional>
#include <string>

namespace kordoc::sim {

class Session {
public:
    // Receives each failure's message. Unset while the host has registered
    // no callbacks.
    using Reporter = std::function<void(const std::string &message)>;

    explicit Session(std::string hostFolder);

    Document &document() { return doc_; }
    const Document &document() const { return doc_; }

    void setReporter(Reporter reporter) { reporter_ = std::move(reporter); }
    bool hasReporter() const { return static_cast<bool>(reporter_); }
    const std::string &hostFolder() const { return hostFolder_; }

    // Replaces the document by a file's facts; stops at the first line that
    // does not parse, keeping the facts before it.
    void load(const std::string &fileName);
    // Adds the one fact written in text; a snippet whose number is already
    // present is ignored.
    void push(std::string_view text);
    // Renumbers the document and writes it; an existing file is replaced
    // only once the new one is complete.
    void save(const std::string &fileName);

    // Counts a failure and hands its message to the host, if it listens.
    void report(const std::string &message);
    // Push's failures count even when nobody listens.
    void reportAlways(const std::string &message);

    int errorCount() const { return errors_; }
    void clear();  // document and error count

    const ReadError &lastError() const { return lastError_; }
    const std::string &lastLine() const { return lastLine_; }

private:
    Document doc_;
    Reporter reporter_;
    std::string hostFolder_;
    int errors_ = 0;
    ReadError lastError_;
    std::string lastLine_;
};

// Writes text to a file with each line feed stored as CR LF, through a
// temporary file renamed into place. False on any failure, leaving no file.
bool writeTextFile(const std::string &fileName, std::string_view text);

}  // namespace kordoc::sim
