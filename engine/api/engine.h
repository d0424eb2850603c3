// The engine as a host sees it: a sim session, the registered callbacks,
// production and the step-throughs. The exported C functions drive one
// process-wide instance; tests may make as many as they like.
#pragma once

#include "kordoc.h"
#include "pdf/produce.h"
#include "sim/session.h"

#include <deque>
#include <optional>
#include <string>

namespace kordoc {

struct Callbacks {
    kordoc_page_callback page = nullptr;
    kordoc_snippet_callback snippet = nullptr;
    kordoc_extra_callback extra = nullptr;
    kordoc_error_callback error = nullptr;
};

class Engine {
public:
    explicit Engine(std::string hostFolder);

    void initialize();  // document and error count; callbacks stay
    void setCallbacks(const Callbacks &callbacks);
    void push(const char *text);
    void load(const char *name);
    void save(const char *name);
    void produce(const char *name);
    void stepThrough();
    void stepThroughExtras();
    int errorCount() const { return session_.errorCount(); }
    const char *smoothen(const char *line);

    // A failure found at the boundary (a null text, a refused call): reported
    // and counted like a push failure.
    void fail(int code, const std::string &detail);

    // Texts handed to the host live until its next call into the engine.
    void releaseTexts() { texts_.clear(); }
    bool inErrorCallback() const { return inErrorCallback_; }
    sim::Session &session() { return session_; }

private:
    const char *keep(std::string text);
    void reportError(const std::string &message);

    sim::Session session_;
    std::optional<Callbacks> callbacks_;
    pdf::ProduceOptions options_;
    std::deque<std::string> texts_;
    std::string smoothened_;
    bool inErrorCallback_ = false;
};

}  // namespace kordoc
